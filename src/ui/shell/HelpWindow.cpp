#include "ui/shell/HelpWindow.h"

#include <QFile>
#include <QHBoxLayout>
#include <QAbstractTextDocumentLayout>
#include <QLineEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/platform/TextConversion.h"

namespace vexora::ui {

namespace {

constexpr int kPageRole = Qt::UserRole, kHeadingRole = Qt::UserRole + 1;

QTreeWidgetItem* entry(std::size_t page, const QString& text, const QString& heading)
{
    auto* item = new QTreeWidgetItem({text});
    item->setData(0, kPageRole, static_cast<qulonglong>(page));
    item->setData(0, kHeadingRole, heading);
    return item;
}

}  // namespace

std::vector<HelpPage> builtInHelpPages()
{
    std::vector<HelpPage> pages;
    for (const char* path : {":/help/README.md", ":/help/docs/inversion.md", ":/help/docs/forward.md",
                             ":/help/docs/core-scripts.md"}) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) continue;
        HelpPage page{"", file.readAll().toStdString()};
        const std::vector<HelpHeading> headings = markdownHeadings(page.text);
        page.title = headings.empty() ? std::string(path) : headings.front().text;
        pages.push_back(std::move(page));
    }
    return pages;
}

HelpWindow::HelpWindow(std::vector<HelpPage> pages, QWidget* parent) : QWidget(parent), pages_(std::move(pages))
{
    setObjectName("HelpWindow");
    setWindowTitle("Vexora Help");
    txtSearch = new QLineEdit(this);
    txtSearch->setPlaceholderText("Search the help");
    txtSearch->setClearButtonEnabled(true);
    contents = new QTreeWidget(this);
    contents->setHeaderHidden(true);
    page = new QTextBrowser(this);
    page->setOpenExternalLinks(true);

    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(txtSearch);
    sideLayout->addWidget(contents);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(side);
    splitter->addWidget(page);
    splitter->setStretchFactor(1, 3);
    (new QHBoxLayout(this))->addWidget(splitter);
    resize(1100, 750);

    connect(txtSearch, &QLineEdit::textChanged, this, [this] { search(); });
    connect(contents, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { open(item); });
    showContents();
    if (!pages_.empty()) showTopic({pages_.front().title, ""});
}

void HelpWindow::showContents()
{
    contents->clear();
    for (std::size_t p = 0; p < pages_.size(); ++p) {
        auto* top = entry(p, toQString(pages_[p].title), "");
        contents->addTopLevelItem(top);
        // Second- and third-level headings beneath their page, the third
        // under the second.
        QTreeWidgetItem* section = top;
        for (const HelpHeading& h : markdownHeadings(pages_[p].text)) {
            if (h.level == 2) {
                section = entry(p, toQString(h.text), toQString(h.text));
                top->addChild(section);
            }
            else if (h.level == 3) section->addChild(entry(p, toQString(h.text), toQString(h.text)));
        }
    }
}

void HelpWindow::search()
{
    const std::string query = toWindows1252(txtSearch->text());
    if (query.find_first_not_of(' ') == std::string::npos) {
        showContents();
        return;
    }
    contents->clear();
    const std::vector<HelpHit> hits = searchHelp(pages_, query);
    for (const HelpHit& hit : hits) {
        const QString heading = hit.heading == pages_[hit.page].title ? QString() : toQString(hit.heading);
        contents->addTopLevelItem(
            entry(hit.page, toQString(hit.heading) + "  (" + toQString(pages_[hit.page].title) + ")", heading));
    }
    if (hits.empty()) contents->addTopLevelItem(new QTreeWidgetItem({"Nothing found"}));
}

void HelpWindow::open(QTreeWidgetItem* item)
{
    if (!item || !item->data(0, kPageRole).isValid()) return;
    const auto p = static_cast<std::size_t>(item->data(0, kPageRole).toULongLong());
    showTopic({pages_[p].title, toWindows1252(item->data(0, kHeadingRole).toString())});
}

bool HelpWindow::showTopic(const HelpTopic& topic)
{
    std::size_t p = 0;
    while (p < pages_.size() && pages_[p].title != topic.page) ++p;
    if (p == pages_.size()) return false;
    if (p != shown_) {
        page->setMarkdown(toQString(pages_[p].text));
        shown_ = p;
    }
    page->moveCursor(QTextCursor::Start);
    page->verticalScrollBar()->setValue(0);
    if (topic.heading.empty()) return true;
    // The first heading block with that text (the words may stand in the
    // body before it), scrolled to the top of the view.
    QTextCursor at(page->document());
    const QString heading = toQString(topic.heading);
    while (!(at = page->document()->find(heading, at)).isNull())
        if (at.blockFormat().headingLevel() > 0 && at.block().text().trimmed() == heading) {
            page->setTextCursor(at);
            page->verticalScrollBar()->setValue(
                static_cast<int>(page->document()->documentLayout()->blockBoundingRect(at.block()).top()));
            return true;
        }
    return false;
}

}  // namespace vexora::ui

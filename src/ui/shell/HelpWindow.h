#pragma once
// The help window: the documents the program is built with, a table of
// contents of their headings, a word search, and the page itself.

#include <vector>

#include <QWidget>

#include "core/shell/HelpPages.h"

class QLineEdit;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

namespace vexora::ui {

// The documents built into the program, in reading order.
std::vector<HelpPage> builtInHelpPages();

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(std::vector<HelpPage> pages, QWidget* parent = nullptr);

    // Shows a page at a heading ("" for its top); false when there is none.
    bool showTopic(const HelpTopic& topic);

    QLineEdit* txtSearch = nullptr;
    QTreeWidget* contents = nullptr;
    QTextBrowser* page = nullptr;

private:
    void showContents();
    void search();
    void open(QTreeWidgetItem* item);

    std::vector<HelpPage> pages_;
    std::size_t shown_ = static_cast<std::size_t>(-1);
};

}  // namespace vexora::ui

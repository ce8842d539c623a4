#include "ui/shell/WindowPlaces.h"

#include <algorithm>
#include <string>

#include <QEvent>
#include <QSplitter>
#include <QStringList>
#include <QWidget>

#include "core/platform/UserSettings.h"

namespace vexora::ui {

namespace {

constexpr std::string_view kSection = "Windows";

class GeometryWatch : public QObject {
public:
    GeometryWatch(QWidget* watched, std::function<void()> changed) : QObject(watched), changed_(std::move(changed))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize) changed_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> changed_;
};

}  // namespace

void rememberBytes(UserSettings& settings, std::string_view key, const QByteArray& bytes)
{
    settings.setValue(kSection, key, bytes.toBase64().toStdString());
}

QByteArray recalledBytes(const UserSettings& settings, std::string_view key)
{
    const std::optional<std::string> text = settings.value(kSection, key);
    return text ? QByteArray::fromBase64(QByteArray::fromStdString(*text)) : QByteArray();
}

void rememberNumbers(UserSettings& settings, std::string_view key, const QList<int>& numbers)
{
    QStringList parts;
    for (int n : numbers) parts << QString::number(n);
    settings.setValue(kSection, key, parts.join(QLatin1Char(' ')).toStdString());
}

std::optional<QList<int>> recalledNumbers(const UserSettings& settings, std::string_view key, qsizetype count)
{
    const std::optional<std::string> text = settings.value(kSection, key);
    if (!text) return std::nullopt;
    const QStringList parts = QString::fromStdString(*text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != count) return std::nullopt;
    QList<int> numbers;
    for (const QString& part : parts) {
        bool ok = false;
        numbers << part.toInt(&ok);
        if (!ok) return std::nullopt;
    }
    return numbers;
}

void rememberRect(UserSettings& settings, std::string_view key, const QRect& rect)
{
    rememberNumbers(settings, key, {rect.x(), rect.y(), rect.width(), rect.height()});
}

std::optional<QRect> recalledRect(const UserSettings& settings, std::string_view key)
{
    const std::optional<QList<int>> n = recalledNumbers(settings, key, 4);
    if (!n || (*n)[2] <= 0 || (*n)[3] <= 0) return std::nullopt;
    return QRect((*n)[0], (*n)[1], (*n)[2], (*n)[3]);
}

QRect fittedInto(const QRect& rect, const QSize& area)
{
    const int width = std::min(rect.width(), area.width());
    const int height = std::min(rect.height(), area.height());
    const int x = std::clamp(rect.x(), 0, std::max(area.width() - width, 0));
    const int y = std::clamp(rect.y(), 0, std::max(area.height() - height, 0));
    return QRect(x, y, width, height);
}

QRectF areaShare(const QRect& rect, const QSize& area)
{
    const double w = area.width(), h = area.height();
    return QRectF(rect.x() / w, rect.y() / h, rect.width() / w, rect.height() / h);
}

QRect placeOfShare(const QRectF& share, const QSize& area)
{
    const int left = qRound(share.left() * area.width()), top = qRound(share.top() * area.height());
    const int right = qRound(share.right() * area.width()), bottom = qRound(share.bottom() * area.height());
    return QRect(left, top, std::max(right - left, 1), std::max(bottom - top, 1));
}

void watchGeometry(QWidget* watched, std::function<void()> changed) { new GeometryWatch(watched, std::move(changed)); }

void keepSplitterSizes(QSplitter* splitter, UserSettings& settings, std::string_view key)
{
    // Sizes as numbers, not Qt's binary state: damaged text is passed over
    // instead of closing a panel.
    const std::optional<QList<int>> sizes = recalledNumbers(settings, key, splitter->count());
    if (sizes && std::all_of(sizes->begin(), sizes->end(), [](int size) { return size >= 0; }) &&
        std::any_of(sizes->begin(), sizes->end(), [](int size) { return size > 0; }))
        splitter->setSizes(*sizes);
    QObject::connect(splitter, &QSplitter::splitterMoved, splitter,
                     [splitter, &settings, key = std::string(key)] { rememberNumbers(settings, key, splitter->sizes()); });
}

}  // namespace vexora::ui

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

void rememberRect(UserSettings& settings, std::string_view key, const QRect& rect)
{
    settings.setValue(kSection, key,
                      QStringLiteral("%1 %2 %3 %4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height())
                          .toStdString());
}

std::optional<QRect> recalledRect(const UserSettings& settings, std::string_view key)
{
    const std::optional<std::string> text = settings.value(kSection, key);
    if (!text) return std::nullopt;
    const QStringList parts = QString::fromStdString(*text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 4) return std::nullopt;
    int numbers[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[i] = parts[i].toInt(&ok);
        if (!ok) return std::nullopt;
    }
    if (numbers[2] <= 0 || numbers[3] <= 0) return std::nullopt;
    return QRect(numbers[0], numbers[1], numbers[2], numbers[3]);
}

QRect fittedInto(const QRect& rect, const QSize& area)
{
    const int width = std::min(rect.width(), area.width());
    const int height = std::min(rect.height(), area.height());
    const int x = std::clamp(rect.x(), 0, std::max(area.width() - width, 0));
    const int y = std::clamp(rect.y(), 0, std::max(area.height() - height, 0));
    return QRect(x, y, width, height);
}

QRect followedArea(const QRect& rect, const QSize& from, const QSize& to)
{
    const double sx = static_cast<double>(to.width()) / from.width();
    const double sy = static_cast<double>(to.height()) / from.height();
    const int left = qRound(rect.x() * sx), top = qRound(rect.y() * sy);
    const int right = qRound((rect.x() + rect.width()) * sx), bottom = qRound((rect.y() + rect.height()) * sy);
    return QRect(left, top, std::max(right - left, 1), std::max(bottom - top, 1));
}

void watchGeometry(QWidget* watched, std::function<void()> changed) { new GeometryWatch(watched, std::move(changed)); }

void keepSplitterSizes(QSplitter* splitter, UserSettings& settings, std::string_view key)
{
    if (const QByteArray state = recalledBytes(settings, key); !state.isEmpty()) splitter->restoreState(state);
    QObject::connect(splitter, &QSplitter::splitterMoved, splitter,
                     [splitter, &settings, key = std::string(key)] { rememberBytes(settings, key, splitter->saveState()); });
}

}  // namespace vexora::ui

#pragma once
// Helpers of the window tests: scripted file dialogs and file reading.

#include <deque>
#include <functional>
#include <vector>

#include <QFile>
#include <QTest>
#include <QWidget>

#include "ui/platform/FileDialogs.h"

namespace vexora::test {

// With VEXORA_SCREENSHOTS set to a folder, the window is saved there as a PNG
// picture to look at (run under xvfb-run for real fonts).
inline void screenshot(QWidget& window, const char* name)
{
    const QByteArray folder = qgetenv("VEXORA_SCREENSHOTS");
    if (folder.isEmpty()) return;
    window.show();
    QTest::qWait(50);
    window.grab().save(QString::fromUtf8(folder) + "/" + name + ".png");
}

class ScriptedFileDialogs : public ui::FileDialogs {
public:
    struct Request {
        QString title;
        QString defaultName;
        QString filters;
    };

    // Answers of the save and open dialogs, in order; an exhausted script
    // cancels.
    void queue(QString path) { answers_.push_back(std::move(path)); }
    // Answers of the colour dialog; an exhausted script cancels.
    void queueColour(QColor colour) { colours_.push_back(colour); }
    const std::vector<Request>& requests() const { return requests_; }
    // Called at every save or open request, to look at the windows while a
    // dialog would be up.
    std::function<void()> onRequest;

    QString openFileName(QWidget*, const QString& title, const QString& filters) override
    {
        return answer(title, QString(), filters);
    }

    // Several files are queued as one answer, separated by new lines.
    QStringList openFileNames(QWidget* parent, const QString& title, const QString& filters) override
    {
        const QString answer = openFileName(parent, title, filters);
        return answer.isEmpty() ? QStringList() : answer.split(QLatin1Char('\n'));
    }

    std::optional<QColor> chooseColour(QWidget*, const QColor&) override
    {
        if (colours_.empty()) return std::nullopt;
        QColor colour = colours_.front();
        colours_.pop_front();
        return colour;
    }

protected:
    // No filter is chosen: the first one stands.
    QString askSaveFileName(QWidget*, const QString& title, const QString& defaultName, const QString& filters,
                            QString*) override
    {
        return answer(title, defaultName, filters);
    }

private:
    QString answer(const QString& title, const QString& defaultName, const QString& filters)
    {
        requests_.push_back({title, defaultName, filters});
        if (onRequest) onRequest();
        if (answers_.empty()) return {};
        QString answer = answers_.front();
        answers_.pop_front();
        return answer;
    }

    std::deque<QString> answers_;
    std::deque<QColor> colours_;
    std::vector<Request> requests_;
};

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace vexora::test

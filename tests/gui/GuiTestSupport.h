#pragma once
// Helpers of the window tests: scripted file dialogs and file reading.

#include <deque>
#include <vector>

#include <QFile>

#include "ui/platform/FileDialogs.h"

namespace vexora::test {

class ScriptedFileDialogs : public ui::FileDialogs {
public:
    struct Request {
        QString title;
        QString defaultName;
        QString filters;
    };

    // Answers in order; an exhausted script cancels.
    void queue(QString path) { answers_.push_back(std::move(path)); }
    const std::vector<Request>& requests() const { return requests_; }

    QString saveFileName(QWidget*, const QString& title, const QString& defaultName, const QString& filters) override
    {
        requests_.push_back({title, defaultName, filters});
        if (answers_.empty()) return {};
        QString answer = answers_.front();
        answers_.pop_front();
        return answer;
    }

private:
    std::deque<QString> answers_;
    std::vector<Request> requests_;
};

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace vexora::test

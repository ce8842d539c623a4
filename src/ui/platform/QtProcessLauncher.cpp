#include "ui/platform/QtProcessLauncher.h"

#include <QFile>
#include <QProcess>

#include "ui/platform/TextConversion.h"

namespace vexora::ui {

bool QtProcessLauncher::startDetached(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                                      const std::filesystem::path& workingFolder, std::string* why)
{
    QProcess process;
    process.setProgram(fromFilePath(program));
    QStringList list;
    // Arguments are paths or plain words: they travel in the file system's
    // encoding, so the program opens exactly the file that was written.
    for (const std::string& argument : arguments) list << QFile::decodeName(QByteArray::fromStdString(argument));
    process.setArguments(list);
    process.setWorkingDirectory(fromFilePath(workingFolder));
    if (process.startDetached()) return true;
    if (why) *why = toWindows1252(process.errorString());
    return false;
}

}  // namespace vexora::ui

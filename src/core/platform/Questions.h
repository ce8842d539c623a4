#pragma once
// Questions and message boxes put to the user. The workbench shows dialogs;
// tests and the command line answer from a script, keyed by the question's
// id, so that a changed wording never changes an answer.

#include <optional>
#include <string>
#include <string_view>

namespace vexora {

enum class MessageIcon { None, Information, Question, Exclamation, Critical };

// Every question the workbench can ask.
enum class QuestionId {
    InvertSyntheticResistance,   // calculated V/I or apparent resistivity in a data file
    InvertSyntheticIp,           // calculated IP in a data file
    GeometricFactorsWithZ,       // apparent resistivities converted with z coordinates
    ReplaceDuplicateElectrodes,  // list of duplicated electrode pairs
    SearchForProgram,            // an external program's folder is wrong: search the drives
    OverwriteFile,               // a chosen file already exists
    QuitProgram,
    QuitProject,
    SetModelledDataColumns,      // calculated values without an output column
    ModelledDataColumn,          // input: the output column of calculated values
    IpWindowsToMerge,            // input: number of IP windows averaged on output
    XyzGridSize,                 // input: average grid spacing of an XYZ model file
    XyzColumns,                  // input: columns of an XYZ model file
    SettingValue,                // input: a new value for a setting
    ConfirmSettingChange,        // a setting change with side effects
    ResetSettings,               // every setting back to its default value
    NewCableName,                // input: a new name for a cable of a merged file
    ElectrodeValues,             // input: values for the selected electrodes of the field data grid
};

struct Question {
    QuestionId id;
    std::string title;
    std::string text;
    MessageIcon icon = MessageIcon::Question;
};

class Questions {
public:
    virtual ~Questions() = default;
    // Yes/No question; true for Yes.
    virtual bool askYesNo(const Question& question) = 0;
    // Question with OK and Cancel buttons; true for OK. Where no such box
    // exists the Yes/No question stands in.
    virtual bool askOkCancel(const Question& question) { return askYesNo(question); }
    // Message box with an OK button.
    virtual void showMessage(std::string_view title, std::string_view text, MessageIcon icon) = 0;
    // Caption, heading, scrollable list and question with OK and Cancel; true for OK.
    virtual bool confirmList(QuestionId id, std::string_view caption, std::string_view heading,
                             std::string_view list, std::string_view question) = 0;
    // Text input box (the question's text is the prompt); nothing when cancelled.
    virtual std::optional<std::string> inputText(const Question& question, std::string_view defaultText) = 0;
};

// "NAME already exists. Do you want to overwrite it?"; true for Yes. The
// caller asks only for a file that exists.
inline bool confirmOverwrite(Questions& questions, std::string_view title, std::string_view name, MessageIcon icon)
{
    return questions.askYesNo({QuestionId::OverwriteFile, std::string(title),
                               std::string(name) + " already exists. Do you want to overwrite it?", icon});
}

}  // namespace vexora

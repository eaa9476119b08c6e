// Expression files (the formula alone, saved to and opened from text files)
// and the Help command.
#include <vornel/model/MainModel.h>

#include <filesystem>

#include "ModelParts.h"

namespace vornel {

namespace {

const std::vector<FileFilter> kFileFilters = {{"Text File", "*.txt"}, {" All files", "*.*"}};
const std::string kDefaultSuffix = "txt";
const std::string kOfferedName = "Expression.txt";

std::filesystem::path PathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// The busy pointer for the time a file is read or written.
class Busy {
public:
    explicit Busy(WindowPort& port) : m_port(port) { m_port.SetBusy(true); }
    ~Busy() { m_port.SetBusy(false); }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    WindowPort& m_port;
};

}  // namespace

std::vector<std::string> HelpDocumentCandidates(const std::string& programFolder,
                                                const std::string& dataFolder) {
    const auto in = [](const std::string& folder, std::string_view name) {
        const std::u8string path =
            (PathOf(folder) / std::u8string(name.begin(), name.end())).u8string();
        return std::string(path.begin(), path.end());
    };
    std::vector<std::string> candidates;
#ifdef _WIN32
    candidates.push_back(in(programFolder, "help.chm"));
#endif
    candidates.push_back(in(programFolder, kHelpDocumentName));
    candidates.push_back(in(dataFolder, kHelpDocumentName));
    return candidates;
}

void MainModel::FileOpenProc() {
    if (const std::optional<std::string> fileName = m_port.GetOpenFileName(kFileFilters)) {
        OpenFile(*fileName);
    }
}

// The formula takes the file's text with CR LF line breaks; the file's
// encoding and line ends are kept for saving it back.
void MainModel::OpenFile(const std::string& fileName) {
    FileReadResult read;
    {
        const Busy busy(m_port);
        read = ReadExpressionFile(fileName);
    }
    switch (read.status) {
        case FileReadStatus::Ok:
            ReplaceFormula(WithLineEnds(read.text, LineEnds::CrLf));
            m_openedEncoding = read.encoding;
            m_openedLineEnds = DetectLineEnds(read.text);
            break;
        case FileReadStatus::TooLarge:
            ShowWarning("The file is too large, can not be opened.");
            break;
        case FileReadStatus::CannotOpen:
            ShowWarning("Can not open the file: " + fileName);
            break;
    }
}

void MainModel::MenuFile_Save_Click() {
    if (const std::optional<std::string> fileName = GetFileName(kOfferedName)) {
        SaveFileAs(*fileName);
    }
}

std::optional<std::string> MainModel::GetFileName(const std::string& fileName) {
    return m_port.GetSaveFileName(fileName, kFileFilters, kDefaultSuffix);
}

void MainModel::SaveFileAs(const std::string& fileName) {
    const std::string formula = m_port.BoxText(Box::Formula);
    const std::string bytes = EncodeExpressionFile(
        WithLineEnds(formula, m_openedLineEnds.value_or(kNewFileLineEnds)), m_openedEncoding);
    const auto write = [&] {
        const Busy busy(m_port);
        return WriteExpressionFile(fileName, bytes);
    };
    if (!write()) {
        ShowWarning("Can not save the file: " + fileName);
    }
}

void MainModel::SetHelpDocumentCandidates(std::vector<std::string> candidates) {
    m_helpCandidates = std::move(candidates);
}

void MainModel::MenuHelp_Help_Click() {
    for (const std::string& candidate : m_helpCandidates) {
        std::error_code error;
        if (std::filesystem::is_regular_file(PathOf(candidate), error)) {
            const std::u8string path = std::filesystem::absolute(PathOf(candidate)).u8string();
            const std::string found(path.begin(), path.end());
            if (!m_port.StartHelpViewer(found)) {
                ShowWarning("No viewer could be started for the help document:\n" + found);
            }
            return;
        }
    }
    ShowWarning(std::string("The help document ") + kHelpDocumentName + " cannot be found.");
}

}  // namespace vornel

// The history of evaluated formulas: kept in a file of the user's data folder
// (one entry a line, appended as entries come), recalled with Up and Down,
// put back or its value inserted.
#include <vornel/model/MainModel.h>

#include <filesystem>
#include <fstream>

#include "TextTools.h"

namespace vornel {

namespace {

constexpr std::string_view kHistoryFileName = "history.txt";

// Fields of a line are separated by tabs; tabs, line breaks and backslashes
// inside a field are written as \t, \n, \r and \\.
std::string Escaped(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (const char c : field) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::vector<std::string> Fields(std::string_view line) {
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\t') {
            fields.emplace_back();
        } else if (line[i] == '\\' && i + 1 < line.size()) {
            const char next = line[++i];
            fields.back() += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            fields.back() += line[i];
        }
    }
    return fields;
}

std::string Line(const HistoryEntry& entry) {
    return Escaped(entry.formula) + '\t' + Escaped(entry.result) + '\t' + Escaped(entry.value) +
           '\n';
}

std::filesystem::path PathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

std::string MainModel::HistoryPath() const {
    const std::string folder = m_port.DataFolder();
    if (folder.empty()) {
        return {};
    }
    const std::u8string path =
        (PathOf(folder) / std::u8string(kHistoryFileName.begin(), kHistoryFileName.end()))
            .u8string();
    return std::string(path.begin(), path.end());
}

// The newest kMaxHistoryEntries lines are kept; a file grown to twice that is
// written again with those alone.
void MainModel::LoadHistory() {
    m_history.clear();
    const std::string path = HistoryPath();
    std::ifstream in(PathOf(path), std::ios::binary);
    std::size_t lines = 0;
    for (std::string line; !path.empty() && std::getline(in, line); ++lines) {
        const std::vector<std::string> fields = Fields(line);
        if (fields.size() == 3) {
            m_history.push_back({fields[0], fields[1], fields[2]});
        }
    }
    if (m_history.size() > kMaxHistoryEntries) {
        m_history.erase(m_history.begin(), m_history.end() - kMaxHistoryEntries);
    }
    if (lines >= 2 * kMaxHistoryEntries) {
        std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
        for (const HistoryEntry& entry : m_history) {
            out << Line(entry);
        }
    }
    m_port.Refresh(kHistory);
}

// An evaluation repeated at once is one entry.
void MainModel::AddToHistory(HistoryEntry entry) {
    if (!m_history.empty() && m_history.back() == entry) {
        return;
    }
    if (const std::string path = HistoryPath(); !path.empty()) {
        std::error_code ignored;
        std::filesystem::create_directories(PathOf(m_port.DataFolder()), ignored);
        std::ofstream(PathOf(path), std::ios::binary | std::ios::app) << Line(entry);
    }
    m_history.push_back(std::move(entry));
    if (m_history.size() > kMaxHistoryEntries) {
        m_history.erase(m_history.begin());
    }
    m_recalled.reset();
    m_port.Refresh(kHistory);
}

void MainModel::MenuHistory_Clear_Click() {
    m_history.clear();
    m_recalled.reset();
    if (const std::string path = HistoryPath(); !path.empty()) {
        std::error_code ignored;
        std::filesystem::remove(PathOf(path), ignored);
    }
    m_port.Refresh(kHistory);
}

std::string MainModel::HistoryRowText(std::size_t index) const {
    const HistoryEntry& entry = m_history.at(index);
    return text::OnOneLine(entry.formula) + (entry.value.empty() ? "  \u2192  " : "  =  ") +
           entry.result;
}

void MainModel::History_Activate(std::size_t index, bool insertValue) {
    if (index >= m_history.size()) {
        return;
    }
    if (!insertValue) {
        ReplaceFormula(m_history[index].formula);
    } else if (!m_history[index].value.empty()) {
        m_port.ReplaceInBox(Box::Formula, m_port.BoxSelection(Box::Formula),
                            m_history[index].value);
    }
    m_port.Focus(Control::Formula);
}

bool MainModel::FormulaKeyUp() {
    const std::string formula = m_port.BoxText(Box::Formula);
    const std::size_t caret = CharacterOffset(formula, m_port.BoxSelection(Box::Formula).begin);
    return std::string_view(formula).substr(0, caret).find('\n') == std::string_view::npos &&
           Recall(-1);
}

bool MainModel::FormulaKeyDown() {
    const std::string formula = m_port.BoxText(Box::Formula);
    const std::size_t caret = CharacterOffset(formula, m_port.BoxSelection(Box::Formula).end);
    return formula.find('\r', caret) == std::string::npos && Recall(+1);
}

// Up from a formula that was not recalled starts at the newest entry and
// keeps the formula, which Down past the newest entry brings back.
bool MainModel::Recall(int step) {
    const std::string formula = m_port.BoxText(Box::Formula);
    if (!m_recalled || formula != m_recalledText) {
        if (step > 0 || m_history.empty()) {
            return false;
        }
        m_recallDraft = formula;
        m_recalled = m_history.size();
    }
    if (step < 0 && *m_recalled == 0) {
        return true;
    }
    const std::size_t next = step < 0 ? *m_recalled - 1 : *m_recalled + 1;
    if (next >= m_history.size()) {
        m_recalled.reset();
        ReplaceFormula(m_recallDraft);
        return true;
    }
    m_recalled = next;
    m_recalledText = m_history[next].formula;
    ReplaceFormula(m_recalledText);
    return true;
}

}  // namespace vornel

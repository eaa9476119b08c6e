#pragma once

// Shared by the model's tests: a port whose boxes are plain texts with an
// undo history, whose dialogs answer from a queue, and which records every
// box and call; and a driver that plays scenarios written as steps.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <vornel/model/MainModel.h>
#include "TextTools.h"

namespace vornel::test {

// `text` split at `separator`.
inline std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t at = 0;
    for (std::size_t next; (next = text.find(separator, at)) != std::string::npos;
         at = next + separator.size()) {
        parts.push_back(text.substr(at, next - at));
    }
    parts.push_back(text.substr(at));
    return parts;
}

inline std::string Join(const std::vector<std::string>& parts, const std::string& separator) {
    std::string joined;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        joined += (i == 0 ? "" : separator) + parts[i];
    }
    return joined;
}

inline std::size_t Characters(std::string_view text) {
    return text::CharacterCount(text);
}

// A text box: its text, its selection and the steps its undo takes back.
struct FakeBox {
    std::string text;
    TextRange selection;
    std::vector<std::pair<std::string, TextRange>> undo, redo;

    void Replace(TextRange range, const std::string& with) {
        undo.emplace_back(text, selection);
        redo.clear();
        const std::size_t begin = CharacterOffset(text, range.begin);
        text.replace(begin, CharacterOffset(text, range.end) - begin, with);
        selection.begin = selection.end = range.begin + Characters(with);
    }
    static void Step(FakeBox& box, std::vector<std::pair<std::string, TextRange>>& from,
                     std::vector<std::pair<std::string, TextRange>>& to) {
        if (!from.empty()) {
            to.emplace_back(box.text, box.selection);
            std::tie(box.text, box.selection) = from.back();
            from.pop_back();
        }
    }
};

// Records each box as "prompt | title | icon" and each dialog as a call;
// answers dialogs from `answers` in turn (nothing: Cancel). An input dialog
// runs its check on each answer; a refusal is recorded as a box "refused:
// reason" and the next answer is tried, as a user typing again.
class FakePort : public WindowPort {
public:
    MainModel* model = nullptr;
    std::vector<std::string> messages, calls;
    std::vector<std::optional<std::string>> answers;  // lines separated by " | "
    std::vector<bool> yes;                            // answers to questions
    bool helpViewerStarts = true;
    FakeBox formula, result;
    Control focused = Control::Other;
    std::string clipboard;
    std::optional<std::chrono::milliseconds> timer;
    std::map<std::string, std::string> settings;
    std::string dataFolder;
    NumberFormat format;
    bool closed = false;
    int busy = 0;
    unsigned refreshed = 0;

    void ShowMessage(const std::string& prompt, const std::string& title,
                     MessageIcon icon) override {
        const char* const icons[] = {"none", "exclamation", "critical"};
        messages.push_back(prompt + " | " + title + " | " + icons[int(icon)]);
    }
    bool Ask(const std::string& prompt, const std::string& title) override {
        calls.push_back("ask " + prompt + " | " + title);
        if (yes.empty()) {
            messages.push_back("unplanned question");
            return false;
        }
        const bool answer = yes.front();
        yes.erase(yes.begin());
        return answer;
    }
    std::optional<std::vector<std::string>> GetInput(const InputRequest& request) override {
        std::vector<std::string> shown;
        for (const InputRequest::Field& field : request.fields) {
            shown.push_back(field.label + " " + field.text);
        }
        while (const std::optional<std::string> answer =
                   Answer(request.title + " | " + Join(shown, " | "))) {
            std::vector<std::string> lines = Split(*answer, " | ");
            if (*answer == "=") {  // as the dialog offers them
                lines.clear();
                for (const InputRequest::Field& field : request.fields) {
                    lines.push_back(field.text);
                }
            }
            if (const std::string reason = request.check(lines); !reason.empty()) {
                messages.push_back("refused: " + reason);
                continue;
            }
            return lines;
        }
        return std::nullopt;
    }
    std::optional<std::string> GetOpenFileName(const std::vector<FileFilter>& filters) override {
        return Answer("open " + Filters(filters));
    }
    std::optional<std::string> GetSaveFileName(const std::string& name,
                                               const std::vector<FileFilter>& filters,
                                               const std::string& suffix) override {
        return Answer("save " + name + " | " + Filters(filters) + " | " + suffix);
    }
    void ShowProductInformation() override { calls.push_back("Dialog"); }
    void ShowAbout() override { calls.push_back("frmAbout"); }
    bool StartHelpViewer(const std::string& path) override {
        calls.push_back("help " + path);
        return helpViewerStarts;
    }
    void SetBusy(bool on) override { busy += on ? 1 : -1; }
    std::string ClipboardText() override { return clipboard; }
    void SetClipboardText(const std::string& text) override { clipboard = text; }
    void StartTimer(std::chrono::milliseconds delay) override { timer = delay; }
    void StopTimer() override { timer.reset(); }
    std::optional<std::string> ReadSetting(const std::string& key) override {
        const auto found = settings.find(key);
        return found == settings.end() ? std::nullopt : std::optional(found->second);
    }
    void WriteSetting(const std::string& key, const std::string& value) override {
        settings[key] = value;
    }
    std::string DataFolder() override { return dataFolder; }
    NumberFormat UserNumberFormat() override { return format; }
    void CloseWindow() override { closed = true; }
    std::string BoxText(Box box) override { return Of(box).text; }
    TextRange BoxSelection(Box box) override { return Of(box).selection; }
    void ReplaceInBox(Box box, TextRange range, const std::string& text) override {
        Of(box).Replace(range, text);
        if (box == Box::Formula && model != nullptr) {
            model->FormulaEdited();
        }
    }
    void SelectInBox(Box box, TextRange range) override { Of(box).selection = range; }
    void UndoInBox(Box box) override { FakeBox::Step(Of(box), Of(box).undo, Of(box).redo); }
    void RedoInBox(Box box) override { FakeBox::Step(Of(box), Of(box).redo, Of(box).undo); }
    Control FocusedControl() override { return focused; }
    void Focus(Control control) override { focused = control; }
    void Refresh(unsigned parts) override { refreshed |= parts; }

    std::vector<std::string> Take(std::vector<std::string>& list) {
        return std::exchange(list, {});
    }

private:
    FakeBox& Of(Box box) { return box == Box::Formula ? formula : result; }
    static std::string Filters(const std::vector<FileFilter>& filters) {
        std::string text;
        for (const FileFilter& filter : filters) {
            text += filter.name + " (" + filter.pattern + ");";
        }
        return text;
    }
    std::optional<std::string> Answer(const std::string& call) {
        calls.push_back(call);
        if (answers.empty()) {
            return std::nullopt;
        }
        std::optional<std::string> answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
};

// A box's text with its selection marked: "[" at the start, "]" at the end.
inline std::string Marked(const FakeBox& box) {
    std::string text = box.text;
    text.insert(CharacterOffset(text, box.selection.end), "]");
    text.insert(CharacterOffset(text, box.selection.begin), "[");
    return text;
}

// Without a mark the caret goes to the end.
inline void SetMarked(FakeBox& box, std::string marked) {
    if (marked.find('[') == std::string::npos) {
        marked += "[]";
    }
    const std::size_t open = marked.find('[');
    const std::size_t close = marked.find(']');
    const std::string before = marked.substr(0, open);
    const std::string inside = marked.substr(open + 1, close - open - 1);
    box.text = before + inside + marked.substr(close + 1);
    box.selection = {Characters(before), Characters(before) + Characters(inside)};
}

// A scenario: steps run in order; "probe = text" checks that the probe reads
// the text, any other step is an action.
struct Scenario {
    const char* name;
    std::vector<std::string> steps;
};

inline void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

inline std::string ScenarioName(const testing::TestParamInfo<Scenario>& info) {
    std::string name = info.param.name;
    for (char& c : name) {
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    }
    return name;
}

// A started model over a fake port, with the user's data in a folder of its
// own, and the scenario driver.
class ModelTest : public testing::Test {
protected:
    FakePort port;
    MainModel model{port};
    std::filesystem::path folder;

    void SetUp() override {
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name) {
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        // Another run of the same test (another build) may be going on.
        folder = std::filesystem::temp_directory_path() /
                 ("vornel-model-" + name + "-" + std::to_string(std::random_device{}()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        port.dataFolder = (folder / "data").string();
        port.model = &model;
        model.Form_Load();
        port.calls.clear();
        port.timer.reset();
    }
    void TearDown() override {
        EXPECT_EQ(Join(port.messages, " / "), "");
        EXPECT_EQ(port.busy, 0);
        std::filesystem::remove_all(folder);
    }

    void Play(const std::vector<std::string>& steps);

private:
    void Act(const std::string& verb, const std::string& arg);
    std::string Probe(const std::string& verb, const std::string& arg);
};

}  // namespace vornel::test

// Message boxes: a text, a caption, an icon, a set of buttons and a default button; the answer is
// the id of the pressed button. Stands in for MessageBoxW and AfxMessageBox.
//
// Tests script the answers: while a message_box_script lives, no box is shown; each box takes the
// next scripted answer (or, when none is left, the answer of its default button) and is recorded.
#pragma once

#include <deque>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace platform::ui {

class CWnd;

// nType combines MB_OK ... MB_CANCELTRYCONTINUE, MB_ICONERROR ... MB_ICONINFORMATION,
// MB_DEFBUTTON1 ... MB_DEFBUTTON3, MB_RTLREADING and MB_RIGHT. Without a caption the box reads
// "Error", as the system's own caption does. Returns IDOK, IDCANCEL, IDYES, IDNO, IDRETRY, IDABORT,
// IDIGNORE, IDTRYAGAIN or IDCONTINUE; closing a box that has a Cancel button (or only OK) answers
// that button, and a box without one cannot be closed.
int MessageBox(CWnd* pOwner, const std::string& text, const std::optional<std::string>& caption, unsigned nType);

// Captioned with the application's current name and owned by its main window.
int AfxMessageBox(const std::string& text, unsigned nType = 0);

struct message_box_record {
    std::string text;
    std::string caption;
    unsigned type = 0;
    bool owned = false;     // the box had an owner window
    int answer = 0;         // what the box returned
    bool scripted = false;  // false: no scripted answer was left, the default button answered
};

class message_box_script {
public:
    explicit message_box_script(std::initializer_list<int> answers = {});
    ~message_box_script();
    message_box_script(const message_box_script&) = delete;
    message_box_script& operator=(const message_box_script&) = delete;

    void push_answer(int answer) { m_answers.push_back(answer); }
    const std::vector<message_box_record>& records() const { return m_records; }
    std::size_t pending_answers() const { return m_answers.size(); }

    // The active script, if any; used by the message box.
    static message_box_script* active();
    int take(message_box_record record, int defaultAnswer);

private:
    std::deque<int> m_answers;
    std::vector<message_box_record> m_records;
    message_box_script* m_previous;
};

}  // namespace platform::ui

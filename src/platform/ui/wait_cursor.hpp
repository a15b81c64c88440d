// The wait cursor for as long as the object lives. Stands in for CWaitCursor
// (BeginWaitCursor/EndWaitCursor).
#pragma once

namespace platform::ui {

class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    bool m_bShown = false;
};

}  // namespace platform::ui

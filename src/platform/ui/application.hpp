// The application object and the process's Qt application. Stands in for CWinApp (InitInstance,
// Run, ExitInstance, m_pszAppName as the framework's current application name, m_pMainWnd),
// AfxGetApp, AfxGetMainWnd and AfxWinMain.
#pragma once

#include <memory>
#include <string>

class QApplication;

namespace platform::ui {

class CPicture;
class CWnd;

// The Qt application of the process, made with the framework's look: the Fusion style, no desktop
// theme, no quitting when the last window closes (windows close as they end, and the application's
// loop ends on a quit request, as on Windows). When a Qt application exists already, it is used
// and left alone.
// Whether windows can be shown: the window system Qt would use can be reached, or needs no display
// server (QT_QPA_PLATFORM=offscreen). display_connection.hpp says why not.
bool graphical_session_available();

// Loads the system's translations of the framework's own texts (message box buttons) for a locale
// such as "de_DE", in place of those loaded before. False, leaving the texts in English, when the
// system has none for it. The application instance loads them for the desktop's locale.
bool use_framework_translations(const std::string& locale);

// The layout direction of the framework's windows, decided by the program (from the language its
// texts are in) and never by the framework's own translations, which follow the desktop's locale:
// left to right until set. Applies to the Qt application now or once it is made.
void set_layout_direction(bool right_to_left);

// Whether the process's Qt application exists yet.
bool application_exists();

// The version of the framework's library in use ("6.4.2"), which may be older than the one the
// program was built against.
const char* framework_library_version();

class application_instance {
public:
    application_instance(int& argc, char** argv);
    // With the program's name as its only argument.
    application_instance();
    ~application_instance();
    application_instance(const application_instance&) = delete;
    application_instance& operator=(const application_instance&) = delete;

private:
    void make(int& argc, char** argv);

    int m_argc = 1;
    std::string m_name;
    char* m_argv[2] = {nullptr, nullptr};
    std::unique_ptr<QApplication> m_app;
};

// One per process: the constructor makes it the application that AfxGetApp returns.
class CWinApp {
public:
    // Without a name, the current application name is the program file's name without extension.
    explicit CWinApp(std::string appName = {});
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The program's start; true runs the application's loop, false ends the program.
    virtual bool InitInstance();
    // The application's loop until a quit request (PostQuitMessage); returns ExitInstance().
    virtual int Run();
    // The exit code of the program: the code of the last quit request, 0 without one.
    virtual int ExitInstance();

    // The current application name: the caption of AfxMessageBox and of the framework's boxes.
    const std::string& GetAppName() const { return m_strAppName; }
    void SetAppName(std::string name) { m_strAppName = std::move(name); }
    // The icon of the program's windows and message boxes.
    void SetAppIcon(const CPicture& icon);

    CWnd* m_pMainWnd = nullptr;

protected:
    int m_nExitCode = 0;

private:
    std::string m_strAppName;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The current application's name, or the program file's name without extension when there is no
// application object.
std::string AfxGetAppName();

// The program's main: makes the Qt application, runs InitInstance of the application object and, when
// it returns true, Run; returns the exit code. 1 when there is no application object.
int AfxWinMain(int argc, char** argv);

}  // namespace platform::ui

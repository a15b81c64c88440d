#include "platform/ui/application.hpp"

#include "platform/ui/display_connection.hpp"
#include "platform/ui/picture.hpp"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QTranslator>

#include <boost/filesystem/operations.hpp>
#include <boost/system/error_code.hpp>

#include <cassert>
#include <cstdlib>

namespace platform::ui {
namespace {

CWinApp* g_app = nullptr;
bool g_right_to_left = false;

Qt::LayoutDirection chosen_direction() {
    return g_right_to_left ? Qt::RightToLeft : Qt::LeftToRight;
}

std::string program_name() {
    boost::system::error_code error;
    const auto program = boost::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("program") : program.stem().string();
}

}  // namespace

application_instance::application_instance(int& argc, char** argv) {
    make(argc, argv);
}

application_instance::application_instance() : m_name(program_name()) {
    m_argv[0] = m_name.data();
    make(m_argc, m_argv);
}

void application_instance::make(int& argc, char** argv) {
    if (qApp) {
        return;
    }
    // The same look on every desktop: the dialogs' layout is computed for this style and palette.
    QApplication::setDesktopSettingsAware(false);
    QApplication::setStyle(QStringLiteral("Fusion"));
    // Plug-ins come from the system's folder only: the program runs as root from wherever it was
    // downloaded, and a folder beside it is no place to load code from.
    QCoreApplication::setLibraryPaths({QLibraryInfo::path(QLibraryInfo::PluginsPath)});
    m_app = std::make_unique<QApplication>(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    use_framework_translations(QLocale::system().name().toStdString());
    // Set explicitly, the direction no longer follows the translations loaded above or later.
    QGuiApplication::setLayoutDirection(chosen_direction());
}

void set_layout_direction(bool right_to_left) {
    g_right_to_left = right_to_left;
    if (qApp) {
        QGuiApplication::setLayoutDirection(chosen_direction());
    }
}

application_instance::~application_instance() = default;

bool graphical_session_available() {
    return display_problem().empty();
}

bool application_exists() {
    return QCoreApplication::instance() != nullptr;
}

const char* framework_library_version() {
    return qVersion();
}

bool use_framework_translations(const std::string& locale) {
    static std::unique_ptr<QTranslator> current;
    if (current) {
        QCoreApplication::removeTranslator(current.get());
        current.reset();
    }
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(QString::fromStdString(locale)), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false;
    }
    QCoreApplication::installTranslator(translator.get());
    current = std::move(translator);
    return true;
}

CWinApp::CWinApp(std::string appName) : m_strAppName(appName.empty() ? program_name() : std::move(appName)) {
    assert(!g_app && "one application object per process");
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) {
        g_app = nullptr;
    }
}

bool CWinApp::InitInstance() {
    return true;
}

int CWinApp::Run() {
    m_nExitCode = QApplication::exec();
    return ExitInstance();
}

int CWinApp::ExitInstance() {
    return m_nExitCode;
}

void CWinApp::SetAppIcon(const CPicture& icon) {
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(icon.Image())));
}

CWinApp* AfxGetApp() {
    return g_app;
}

CWnd* AfxGetMainWnd() {
    return g_app ? g_app->m_pMainWnd : nullptr;
}

std::string AfxGetAppName() {
    return g_app ? g_app->GetAppName() : program_name();
}

int AfxWinMain(int argc, char** argv) {
    application_instance application(argc, argv);
    CWinApp* app = AfxGetApp();
    if (!app) {
        return 1;
    }
    return app->InitInstance() ? app->Run() : app->ExitInstance();
}

}  // namespace platform::ui

// A sandbox machine with the installer's session on it, as start-up leaves it for a first quick
// installation in English: default folders, both shortcuts, the installer mutex owned.
#pragma once

#include "recording_page.hpp"
#include "startup/install_app.hpp"
#include "startup/language_catalogue.hpp"
#include "support/file_content.hpp"
#include "support/sandbox_machine.hpp"

#include <acl/libacl.h>
#include <grp.h>
#include <sys/acl.h>

#include <boost/filesystem/operations.hpp>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

class EngineTest : public test_support::sandbox_test {
protected:
    EngineTest() {
        MakeLanguageCurrent(LanguageEnglish);
        app = std::make_unique<CInstallApp>();
        app->m_instanceMutex.TryAcquire();
        app->m_strInstallFolder = InstallFolder().string();
        app->m_strStartMenuFolder = MenuFolder().string();
        app->m_nProductLanguage = LanguageEnglish;
    }
    ~EngineTest() override {
        app.reset();
        MakeLanguageCurrent(m_savedLanguage);
    }

    boost::filesystem::path InstallFolder() const { return machine.root() / "opt/Vintrel/Quillon 7"; }
    boost::filesystem::path MenuFolder() const {
        return machine.root() / "usr/local/share/applications/Vintrel/Quillon 7";
    }
    boost::filesystem::path CommonData() const { return machine.root() / "var/opt"; }
    boost::filesystem::path UserData() const { return machine.home() / ".local/share"; }
    boost::filesystem::path Desktop() const { return machine.home() / "Desktop"; }

public:
    static std::string ReadFile(const boost::filesystem::path& path) { return test_support::read_file(path); }
    static void WriteFile(const boost::filesystem::path& path, const std::string& bytes) {
        ASSERT_TRUE(test_support::write_file(path, bytes)) << path;
    }

protected:
    // Whether the file's access ACL has an entry for the local Users group ("users").
    static bool HasUsersGroupEntry(const boost::filesystem::path& path) {
        const group* users = ::getgrnam("users");
        acl_t acl = acl_get_file(path.c_str(), ACL_TYPE_ACCESS);
        if (!users || !acl) {
            return false;
        }
        bool found = false;
        acl_entry_t entry;
        for (int which = ACL_FIRST_ENTRY; acl_get_entry(acl, which, &entry) == 1; which = ACL_NEXT_ENTRY) {
            acl_tag_t tag;
            acl_get_tag_type(entry, &tag);
            if (tag == ACL_GROUP) {
                auto* gid = static_cast<gid_t*>(acl_get_qualifier(entry));
                found = found || (gid && *gid == users->gr_gid);
                acl_free(gid);
            }
        }
        acl_free(acl);
        return found;
    }

    std::unique_ptr<CInstallApp> app;
    RecordingPage page;

private:
    std::uint32_t m_savedLanguage = GetLanguageState().current;
};

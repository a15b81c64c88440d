#include "engine/uninstall_key.hpp"

#include "engine/install_progress_page.hpp"
#include "identity/product_identity.hpp"
#include "platform/registry/key.hpp"
#include "startup/install_app.hpp"

namespace reg = platform::registry;

bool WriteUninstallKey(CInstallApp& app, const InstallProgressPage& page) {
    // The system's Uninstall key is part of every Windows registry, but a fresh registry here has
    // none: it is made as the system would have it. The installation record names the keys made on
    // the way, and the uninstaller removes them once nothing else is in them.
    auto parent = reg::Key::create(reg::hive::local_machine, kUninstallKeyParent);
    if (!parent) {
        return false;
    }
    auto product = parent->key.create(kProductKey);
    if (!product) {
        return false;
    }
    const reg::Key& key = product->key;
    const bool existed = product->disposition == reg::disposition::opened_existing_key;
    PendingChange change = app.m_uninstallLog.AddRegistryKey(existed ? &key : nullptr);

    const bool nameWritten = !key.set_string("DisplayName", GetProductText(false));
    const bool uninstallerWritten = !key.set_string("UninstallString", page.m_strUninstallerPath);
    const bool outcome = nameWritten && uninstallerWritten;
    (void)key.set_string("DisplayIcon", page.m_strMainProgramPath + ",0");
    (void)key.set_string("DisplayVersion", FormatVersionNumber(kProductPackedVersion));
    (void)key.set_string("Publisher", kCompanyName);
    (void)key.set_string("URLInfoAbout", kPublisherWebAddress);
    (void)key.set_string("HelpLink", kPublisherWebAddress);
    (void)key.set_string("URLUpdateInfo", kPublisherWebAddress);
    (void)key.set_string("HelpTelephone", kPublisherTelephone);
    (void)key.set_dword("NoModify", 1);
    (void)key.set_dword("NoRepair", 1);
    (void)key.set_dword("VnLanguage", app.m_nProductLanguage);

    change.Complete(outcome);
    return outcome;
}

bool WriteInstalledProgramValue(UninstallLog& log, const std::string& mainProgramPath) {
    const std::string publisherKey = "Software\\" + std::string(kCompanyName);
    log.RecordKeyState(reg::hive::local_machine, publisherKey);
    auto key = reg::Key::create(reg::hive::local_machine, publisherKey);
    if (!key) {
        return false;
    }
    if (!key->key.set_string(kInstalledProgramValueName, mainProgramPath)) {
        return true;
    }
    // The run is rolled back: a publisher key made for nothing but this value goes with it.
    if (key->disposition == reg::disposition::created_new_key) {
        if (auto software = reg::Key::open(reg::hive::local_machine, "Software")) {
            (void)software->delete_tree(kCompanyName);
        }
    }
    return false;
}

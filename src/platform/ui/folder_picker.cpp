#include "platform/ui/folder_picker.hpp"

#include "platform/ui/button.hpp"
#include "platform/ui/detail/control_factory.hpp"
#include "platform/ui/detail/framework_texts.hpp"
#include "platform/ui/detail/qt_text.hpp"
#include "platform/ui/edit.hpp"
#include "platform/ui/framework_constants.hpp"

#include <QSignalBlocker>
#include <QStyle>
#include <QTreeWidget>

#include <boost/filesystem/operations.hpp>

#include <algorithm>
#include <vector>

namespace platform::ui {
namespace {

namespace fs = boost::filesystem;
namespace res = platform::resources;

constexpr int path_role = Qt::UserRole;
constexpr int populated_role = Qt::UserRole + 1;

// Absolute, without "." and ".." components and without a trailing separator.
fs::path clean(const fs::path& path) {
    fs::path out;
    for (const auto& part : fs::absolute(path).lexically_normal()) {
        if (part != ".") {
            out /= part;
        }
    }
    return out.empty() ? fs::path("/") : out;
}

bool within(const fs::path& path, const fs::path& root) {
    const fs::path relative = path.lexically_relative(root);
    return !relative.empty() && *relative.begin() != "..";
}

bool is_folder(const fs::path& path) {
    boost::system::error_code error;
    return fs::is_directory(path, error);
}

res::dialog_template picker_template(const folder_picker_options& options) {
    res::dialog_template dialog;
    dialog.style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    dialog.cx = 212;
    dialog.cy = 230;
    dialog.caption = detail::texts::browse_caption;
    const std::uint32_t child = WS_CHILD | WS_VISIBLE;
    int top = 7;
    if (!options.title.empty()) {
        dialog.controls.push_back(
            {CFolderPicker::IDC_TITLE, "STATIC", options.title, 0, 7, 7, 198, 24, child | SS_LEFT});
        top = 34;
    }
    const int treeBottom = options.edit_box ? 182 : 202;
    dialog.controls.push_back(
        {CFolderPicker::IDC_TREE, "SysTreeView32", "", 0, 7, top, 198, treeBottom - top,
         child | WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS});
    if (options.edit_box) {
        dialog.controls.push_back({-1, "STATIC", detail::texts::folder_label, 0, 7, 190, 30, 8, child | SS_LEFT});
        dialog.controls.push_back({CFolderPicker::IDC_FOLDER, "EDIT", "", 0, 40, 188, 165, 12,
                                   child | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL});
    }
    dialog.controls.push_back(
        {IDOK, "BUTTON", detail::texts::ok, 0, 101, 209, 50, 14, child | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON});
    dialog.controls.push_back(
        {IDCANCEL, "BUTTON", detail::texts::cancel, 0, 155, 209, 50, 14, child | WS_TABSTOP | BS_PUSHBUTTON});
    return dialog;
}

QTreeWidget* tree_of(const CDialog& dialog) {
    const CWnd* tree = dialog.GetDlgItem(CFolderPicker::IDC_TREE);
    return tree ? qobject_cast<QTreeWidget*>(tree->GetSafeHwnd()) : nullptr;
}

fs::path path_of(const QTreeWidgetItem* item) {
    return fs::path(item->data(0, path_role).toString().toStdString());
}

QTreeWidgetItem* add_folder(QTreeWidget* tree, QTreeWidgetItem* parent, const fs::path& path, const QString& name) {
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
    item->setText(0, name);
    item->setIcon(0, tree->style()->standardIcon(QStyle::SP_DirIcon));
    item->setData(0, path_role, detail::to_qstring(path.string()));
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

// Lists a folder's sub-folders under its item the first time they are needed. Hidden folders are
// left out, as the system's picker does, unless a path asks for one (find_child).
void populate(QTreeWidget* tree, QTreeWidgetItem* item) {
    if (item->data(0, populated_role).toBool()) {
        return;
    }
    item->setData(0, populated_role, true);
    std::vector<QString> names;
    boost::system::error_code error;
    for (fs::directory_iterator it(path_of(item), error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!name.empty() && name.front() != '.' && is_folder(it->path())) {
            names.push_back(detail::to_qstring(name));
        }
    }
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    for (const QString& name : names) {
        add_folder(tree, item, path_of(item) / detail::to_utf8(name), name);
    }
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

QTreeWidgetItem* find_child(QTreeWidget* tree, QTreeWidgetItem* item, const fs::path& name) {
    populate(tree, item);
    for (int i = 0; i < item->childCount(); ++i) {
        if (path_of(item->child(i)).filename() == name) {
            return item->child(i);
        }
    }
    const fs::path folder = path_of(item) / name;
    return is_folder(folder) ? add_folder(tree, item, folder, detail::to_qstring(name.string())) : nullptr;
}

}  // namespace

namespace detail {

std::unique_ptr<CWnd> make_tree(const platform::resources::control_template& control, const control_context& context) {
    auto* tree = new QTreeWidget(context.parent);
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    tree->setRootIsDecorated(control.style & TVS_LINESATROOT);
    QObject::connect(tree, &QTreeWidget::itemExpanded, tree, [tree](QTreeWidgetItem* item) { populate(tree, item); });
    auto window = std::make_unique<CWnd>();
    window->Attach(tree, false, control.id, control.style, control.ex_style);
    tree->setGeometry(context.rect);
    apply_common_styles(tree, control);
    return window;
}

}  // namespace detail

CFolderPicker::CFolderPicker(CWnd* pOwner, folder_picker_options options)
    : CDialog(picker_template(options), pOwner),
      m_options(std::move(options)),
      m_root(m_options.root ? clean(*m_options.root) : fs::path("/")) {}

bool CFolderPicker::OnInitDialog() {
    CDialog::OnInitDialog();
    m_bInitialized = false;
    QTreeWidget* tree = tree_of(*this);
    const QString name = m_root.has_filename() && m_root != "/" ? detail::to_qstring(m_root.filename().string())
                                                                : detail::to_qstring(m_root.string());
    {
        const QSignalBlocker quiet(tree);
        QTreeWidgetItem* top = add_folder(tree, nullptr, m_root, name);
        populate(tree, top);
        top->setExpanded(true);
        tree->setCurrentItem(top);
    }
    QObject::connect(tree, &QTreeWidget::currentItemChanged, tree, [this] { OnSelectionChanged(); });
    if (CEdit* edit = GetEditBox()) {
        edit->SetWindowText(detail::to_utf8(name));
    }
    m_bInitialized = true;
    Notify(folder_picker_event::initialized, {});
    return true;
}

int CFolderPicker::Notify(folder_picker_event event, const std::string& text) {
    return m_options.callback ? m_options.callback(*this, event, text) : 0;
}

void CFolderPicker::OnSelectionChanged() {
    if (!m_bInitialized) {
        return;
    }
    const auto selection = GetSelection();
    EnableOK(selection.has_value());
    if (CEdit* edit = GetEditBox(); edit && selection) {
        const QTreeWidgetItem* item = tree_of(*this)->currentItem();
        edit->SetWindowText(detail::to_utf8(item->text(0)));
    }
    Notify(folder_picker_event::selection_changed, selection ? selection->string() : std::string());
}

bool CFolderPicker::SetSelection(const fs::path& folder) {
    QTreeWidget* tree = tree_of(*this);
    const fs::path target = clean(folder);
    // The root is the tree's top item even before it exists.
    if (!tree || tree->topLevelItemCount() == 0 || !within(target, m_root) ||
        (target != m_root && !is_folder(target))) {
        return false;
    }
    QTreeWidgetItem* item = tree->topLevelItem(0);
    for (const auto& part : target.lexically_relative(m_root)) {
        if (part == ".") {
            continue;
        }
        item->setExpanded(true);
        item = find_child(tree, item, part);
        if (!item) {
            return false;
        }
    }
    tree->setCurrentItem(item);
    tree->scrollToItem(item);
    return true;
}

bool CFolderPicker::SetExpanded(const fs::path& folder) {
    if (!SetSelection(folder)) {
        return false;
    }
    tree_of(*this)->currentItem()->setExpanded(true);
    return true;
}

std::optional<fs::path> CFolderPicker::GetSelection() const {
    const QTreeWidget* tree = tree_of(*this);
    const QTreeWidgetItem* item = tree ? tree->currentItem() : nullptr;
    return item ? std::optional<fs::path>(path_of(item)) : std::nullopt;
}

void CFolderPicker::EnableOK(bool bEnable) {
    if (CWnd* ok = GetDlgItem(IDOK)) {
        ok->EnableWindow(bEnable);
    }
}

CEdit* CFolderPicker::GetEditBox() const {
    return GetDlgItem<CEdit>(IDC_FOLDER);
}

void CFolderPicker::OnOK() {
    const auto selection = GetSelection();
    if (const CEdit* edit = GetEditBox()) {
        const std::string typed = detail::to_utf8(detail::to_qstring(edit->GetWindowText()).trimmed());
        const QTreeWidgetItem* item = tree_of(*this)->currentItem();
        const bool showsSelection = item && detail::to_qstring(typed) == item->text(0);
        if (!typed.empty() && !showsSelection) {
            const fs::path path(typed);
            if (path.is_absolute() && is_folder(path) && within(clean(path), m_root)) {
                m_path = clean(path);
                EndDialog(IDOK);
                return;
            }
            if (m_options.validate && Notify(folder_picker_event::validate_failed, typed) != 0) {
                return;
            }
        }
    }
    if (selection) {
        m_path = *selection;
        EndDialog(IDOK);
    }
}

std::optional<fs::path> PickFolder(CWnd* pOwner, folder_picker_options options) {
    CFolderPicker picker(pOwner, std::move(options));
    if (picker.DoModal() != IDOK) {
        return std::nullopt;
    }
    return picker.GetPath();
}

}  // namespace platform::ui

#include "shell/shell_item.h"

#include "base/path_text.h"
#include "shell/directory_reader.h"
#include "shell/shell_folder.h"

namespace bivora {

ShellItem::ShellItem(ShellFolder* folder, ItemId id) : m_folder(folder), m_id(std::move(id)) {}

std::uint32_t ShellItem::EntryAttributes(const FindData& find)
{
    std::uint32_t attributes = attr::kFileSystem;
    if (find.isLink)
        attributes |= attr::kLink;
    else if (find.isDirectory)
        attributes |= attr::kFolder | attr::kFileSysAncestor;
    return attributes;
}

bool ShellItem::Init(FindData&& find)
{
    SetAttributes(EntryAttributes(find));
    m_name = std::move(find.name);
    size = find.size;
    modified = find.modified;
    created = find.created;
    accessed = find.accessed;
    return !m_name.empty();
}

bool ShellItem::Init(ShellNamespace::Child&& child, bool fileSystemFolder)
{
    SetAttributes(child.attributes);
    // The Trash is no file-system folder, but its items are files: their sizes and
    // times are worth showing.
    const bool completes = fileSystemFolder || child.id.kind == ItemId::Kind::TrashEntry;
    if (child.find && completes && (child.attributes & attr::kFileSystem))
        SetFindData(*child.find);
    m_name = std::move(child.name);
    if (m_name.empty() && child.find)
        m_name = child.find->name;
    SetDisplayName(std::move(child.displayName));
    return !m_name.empty();
}

void ShellItem::SetAttributes(std::uint32_t attributes)
{
    if (attributes != m_attributes) {
        m_linkResolved = false;
        m_linkTarget.reset();
    }
    m_attributes = attributes;
}

void ShellItem::SetDisplayName(std::string displayName)
{
    if (displayName == m_name)
        displayName.clear();
    m_displayName = std::move(displayName);
}

void ShellItem::SetFindData(const FindData& find)
{
    if (!find.name.empty())
        m_name = find.name;
    size = find.size;
    modified = find.modified;
    created = find.created;
    accessed = find.accessed;
}

bool ShellItem::IsLink() const
{
    return (m_attributes & attr::kLink) != 0;
}

bool ShellItem::IsFileSystem() const
{
    return (m_attributes & attr::kFileSystem) != 0;
}

bool ShellItem::IsFolder(bool followLinks) const
{
    if (m_attributes & attr::kFolder)
        return true;
    return followLinks && IsLink() && LinkTarget().has_value();
}

std::string ShellItem::FullPath() const
{
    if (!m_folder)
        return {};
    // Only directory entries live under the folder's path; the Desktop's virtual
    // children (Home, Documents) have paths of their own.
    if (m_folder->IsFileSystem() && m_id.kind == ItemId::Kind::Entry)
        return PathJoin(m_folder->Path(), m_name);
    return m_folder->Namespace().ParsingName(AbsoluteId(false)).value_or(std::string());
}

ItemIdList ShellItem::AbsoluteId(bool followLinks) const
{
    if (followLinks && IsLink()) {
        if (const auto& target = LinkTarget())
            return *target;
    }
    ItemIdList id = m_folder ? m_folder->Id() : ItemIdList();
    id.Append(m_id);
    return id;
}

const std::optional<ItemIdList>& ShellItem::LinkTarget() const
{
    if (!m_linkResolved) {
        m_linkResolved = true;
        m_linkTarget.reset();
        if (IsLink() && m_folder) {
            const ShellNamespace& ns = m_folder->Namespace();
            if (m_id.kind == ItemId::Kind::NetworkDrive)
                m_linkTarget = ns.ParsePath(m_id.key);
            else if (m_folder->IsFileSystem())
                m_linkTarget = ns.ResolveLinkToFolder(FullPath());
        }
    }
    return m_linkTarget;
}

bool ShellItem::HasSubfolders() const
{
    if (!m_folder)
        return false;
    const auto attributes = m_folder->Namespace().Attributes(AbsoluteId(false), true);
    return attributes && (*attributes & attr::kHasSubfolder);
}

bool ShellItem::FillFileTimes()
{
    FindData find;
    if (!StatEntry(FullPath(), find))
        return false;
    created = find.created;
    accessed = find.accessed;
    return true;
}

} // namespace bivora

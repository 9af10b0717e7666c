#include "shell/shell_folder.h"

#include "shell/directory_reader.h"

#include <algorithm>
#include <functional>
#include <unordered_map>

namespace bivora {

namespace {

bool Cancelled(const std::atomic<bool>* cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

// A record's identity in a re-read: its identifier, compared byte for byte. For
// directory entries that is the file name.
struct IdentityView {
    ItemId::Kind kind;
    std::string_view key;
    bool operator==(const IdentityView&) const = default;
};

struct IdentityHash {
    std::size_t operator()(const IdentityView& id) const
    {
        return std::hash<std::string_view>()(id.key) ^ static_cast<std::size_t>(id.kind);
    }
};

IdentityView IdentityOf(const ShellItem& item)
{
    return {item.Id().kind, item.Id().key};
}

// The not-yet-matched records of the existing list, looked up by identity. A search
// finds the first unmatched record in list order, as a scan after the insertion point
// would. While the re-read keeps the old order, matching is one comparison per record;
// the index is built only at the first record out of order.
class UnmatchedRecords {
public:
    explicit UnmatchedRecords(ItemList& items) : m_items(items) {}

    // The index of the record to merge with, or -1; the record counts as matched after it.
    std::ptrdiff_t Take(const ShellItem& fresh)
    {
        const IdentityView id = IdentityOf(fresh);
        if (!m_indexed) {
            if (m_cursor < m_items.size() && IdentityOf(*m_items[m_cursor]) == id)
                return static_cast<std::ptrdiff_t>(m_cursor++);
            BuildIndex();
        }
        const auto found = m_first.find(id);
        if (found == m_first.end())
            return -1;
        const std::size_t index = found->second;
        if (m_next[index] == kNone)
            m_first.erase(found);
        else
            found->second = m_next[index];
        return static_cast<std::ptrdiff_t>(index);
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    void BuildIndex()
    {
        m_indexed = true;
        m_next.assign(m_items.size(), kNone);
        m_first.reserve(m_items.size() - m_cursor);
        // Backwards, so that each chain runs in list order.
        for (std::size_t i = m_items.size(); i-- > m_cursor;) {
            auto [slot, inserted] = m_first.try_emplace(IdentityOf(*m_items[i]), i);
            if (!inserted) {
                m_next[i] = slot->second;
                slot->second = i;
            }
        }
    }

    ItemList& m_items;
    std::size_t m_cursor = 0; // every record before it is matched
    bool m_indexed = false;
    std::unordered_map<IdentityView, std::size_t, IdentityHash> m_first;
    std::vector<std::size_t> m_next; // the next record of the same identity
};

} // namespace

ShellFolder::ShellFolder(const ShellNamespace& ns, std::uint32_t enumFlags) : m_ns(ns), m_enumFlags(enumFlags) {}

ShellFolder::~ShellFolder() = default;

bool ShellFolder::IsFileSystemRoot() const
{
    constexpr std::uint32_t root = attr::kFileSystem | attr::kFileSysAncestor;
    return (m_attributes & root) == root;
}

int ShellFolder::Open(ItemIdList id, bool read, const std::atomic<bool>* cancel)
{
    std::optional<ShellNamespace::Folder> bound = m_ns.Bind(id);
    if (!bound)
        return kFailed;

    // A file-system folder inside another one is no root: only a drive's mount point
    // (whose parent is Computer) keeps the ancestor bit.
    std::uint32_t attributes = bound->attributes;
    if ((attributes & attr::kFileSystem) && (attributes & attr::kFileSysAncestor) && !id.IsEmpty()) {
        const auto parentAttributes = m_ns.Attributes(*id.ParentId(1));
        if (parentAttributes && (*parentAttributes & attr::kFileSystem))
            attributes &= ~attr::kFileSysAncestor;
    }

    std::string path = m_ns.ParsingName(id).value_or(std::string());
    std::string title;
    const bool fileSystem = (attributes & attr::kFileSystem) != 0;
    const bool root = fileSystem && (attributes & attr::kFileSysAncestor);
    if (fileSystem && !root && !path.empty())
        title = path;
    else
        title = m_ns.DisplayName(id).value_or(std::string());
    if (title.empty())
        title = "<no Name>";
    if (path.empty()) {
        attributes &= ~attr::kFileSystem;
        path = title;
    }
    bound->attributes = attributes;

    ItemList items;
    int result = kOk;
    if (read) {
        result = EnumerateInto(*bound, items, cancel);
        if (result == kFailed)
            return kFailed;
    }

    m_id = std::move(id);
    m_attributes = attributes;
    m_kind = bound->kind;
    m_directory = std::move(bound->directory);
    m_path = std::move(path);
    m_title = std::move(title);
    m_items = std::move(items);
    return result;
}

int ShellFolder::Enumerate(ItemList& list, const std::atomic<bool>* cancel)
{
    ShellNamespace::Folder bound;
    bound.kind = m_kind;
    bound.directory = m_directory;
    bound.attributes = m_attributes;
    return EnumerateInto(bound, list, cancel);
}

int ShellFolder::EnumerateInto(const ShellNamespace::Folder& bound, ItemList& list, const std::atomic<bool>* cancel)
{
    using Kind = ShellNamespace::Folder::Kind;
    std::uint32_t flags = m_enumFlags;
    if (m_ns.ShowHiddenFiles())
        flags |= enumflags::kIncludeHidden;
    const bool fileSystemFolder = (bound.attributes & attr::kFileSystem) != 0;
    const std::size_t start = list.size();
    bool someFailed = false;

    // The Desktop is every pane's fallback: it opens when either its virtual items or
    // its directory can be read, and reports the other as not accessible.
    std::optional<std::vector<ShellNamespace::Child>> children;
    if (bound.kind != Kind::Directory) {
        children = m_ns.EnumerateVirtual(bound, flags);
        if (!children) {
            if (bound.kind != Kind::Desktop)
                return kFailed;
            someFailed = true;
        }
    }

    if (bound.kind == Kind::Directory || bound.kind == Kind::Desktop) {
        DirectoryReadResult read;
        if (!bound.directory.empty()) {
            read = ReadDirectory(bound.directory, flags, cancel, [&](FindData&& find) {
                auto item = std::make_unique<ShellItem>(this, ItemId{ItemId::Kind::Entry, find.name});
                if (item->Init(std::move(find)))
                    list.push_back(std::move(item));
                else
                    someFailed = true;
            });
        }
        someFailed = someFailed || read.someFailed;
        const bool desktopWithoutAnything = bound.kind == Kind::Desktop && !children && !read.opened;
        // A listing that broke off fails the read unless entries were already lost.
        const bool directoryFailed = bound.kind == Kind::Directory && !read.opened && !someFailed;
        if (read.cancelled || desktopWithoutAnything || directoryFailed) {
            list.resize(start);
            return kFailed;
        }
        if (!read.opened)
            someFailed = true;
        // The "Unsorted" order panes show: the entries last listed first, ahead of the
        // virtual items.
        std::reverse(list.begin() + static_cast<std::ptrdiff_t>(start), list.end());
    }

    if (children) {
        for (ShellNamespace::Child& child : *children) {
            auto item = std::make_unique<ShellItem>(this, child.id);
            if (item->Init(std::move(child), fileSystemFolder))
                list.push_back(std::move(item));
            else
                someFailed = true;
        }
    }
    if (Cancelled(cancel)) {
        list.resize(start);
        return kFailed;
    }
    return someFailed ? kPartial : kOk;
}

bool ShellFolder::MergeRefresh(std::uint64_t& runningTotal, const std::atomic<bool>* cancel)
{
    ItemList fresh;
    if (Enumerate(fresh, cancel) == kFailed)
        return false;

    ItemList merged;
    merged.reserve(fresh.size() + m_items.size());
    UnmatchedRecords unmatched(m_items);
    for (std::unique_ptr<ShellItem>& record : fresh) {
        const std::ptrdiff_t index = unmatched.Take(*record);
        if (index < 0) {
            record->state = ShellItem::kAdded;
            merged.push_back(std::move(record));
            continue;
        }
        std::unique_ptr<ShellItem>& existing = m_items[static_cast<std::size_t>(index)];
        if (existing->size != record->size || existing->modified != record->modified
            || existing->Attributes() != record->Attributes()) {
            if (existing->state == ShellItem::kShown) {
                existing->state = ShellItem::kChanged;
                runningTotal += record->size - existing->size; // wraps back when it shrank
            }
            existing->size = record->size;
            existing->modified = record->modified;
            // A name that became a folder (or stopped being a link) must not keep the
            // old kind; created and accessed times stay as they were.
            existing->SetAttributes(record->Attributes());
        }
        merged.push_back(std::move(existing));
    }

    // What was not matched has vanished: shown rows stay until the pane removes them,
    // records the pane does not show go at once.
    for (std::unique_ptr<ShellItem>& existing : m_items) {
        if (!existing)
            continue;
        if (existing->state == ShellItem::kShown) {
            existing->state = ShellItem::kVanished;
            merged.push_back(std::move(existing));
        }
    }
    m_items = std::move(merged);
    return true;
}

ShellItem* ShellFolder::FindItemByName(std::string_view name) const
{
    for (const auto& item : m_items) {
        if (item->Name() == name)
            return item.get();
    }
    return nullptr;
}

ShellItem* ShellFolder::FindItemById(const ItemId& id) const
{
    for (const auto& item : m_items) {
        if (item->Id() == id)
            return item.get();
    }
    return nullptr;
}

void ShellFolder::RemoveItem(const ShellItem* item)
{
    const auto found = std::find_if(m_items.begin(), m_items.end(),
                                    [item](const std::unique_ptr<ShellItem>& own) { return own.get() == item; });
    if (found != m_items.end())
        m_items.erase(found);
}

std::optional<ItemIdList> ShellFolder::ParentId(std::size_t n) const
{
    return m_id.ParentId(n);
}

} // namespace bivora

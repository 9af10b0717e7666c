#include "shell/shell_folder.h"

#include "shell/directory_reader.h"

#include <algorithm>
#include <cerrno>
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

IdentityView IdentityOf(const RecordKey& record)
{
    return {record.kind, record.key};
}

// The not-yet-matched records of the existing list, looked up by identity. A search
// finds the first unmatched record in list order, as a scan after the insertion point
// would. While the re-read keeps the old order, matching is one comparison per record;
// the index is built only at the first record out of order.
class UnmatchedRecords {
public:
    explicit UnmatchedRecords(const std::vector<RecordKey>& items) : m_items(items) {}

    // The index of the record to merge with, or -1; the record counts as matched after it.
    std::ptrdiff_t Take(const IdentityView& id)
    {
        if (!m_indexed) {
            if (m_cursor < m_items.size() && IdentityOf(m_items[m_cursor]) == id)
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
            auto [slot, inserted] = m_first.try_emplace(IdentityOf(m_items[i]), i);
            if (!inserted) {
                m_next[i] = slot->second;
                slot->second = i;
            }
        }
    }

    const std::vector<RecordKey>& m_items;
    std::size_t m_cursor = 0; // every record before it is matched
    bool m_indexed = false;
    std::unordered_map<IdentityView, std::size_t, IdentityHash> m_first;
    std::vector<std::size_t> m_next; // the next record of the same identity
};

FolderReadResult Failed(int error)
{
    return {FolderReadResult::kFailed, error};
}

// The namespace shared when its owner shares it, else borrowed.
std::shared_ptr<const ShellNamespace> Share(const ShellNamespace& ns)
{
    if (std::shared_ptr<const ShellNamespace> shared = ns.weak_from_this().lock())
        return shared;
    return std::shared_ptr<const ShellNamespace>(std::shared_ptr<const ShellNamespace>(), &ns);
}

} // namespace

bool FolderReadResult::Gone() const
{
    return status == kFailed && (error == ENOENT || error == ENOTDIR);
}

ShellFolder::ShellFolder(const ShellNamespace& ns, std::uint32_t enumFlags) : m_ns(Share(ns)), m_enumFlags(enumFlags) {}

ShellFolder::~ShellFolder() = default;

bool ShellFolder::IsFileSystemRoot() const
{
    constexpr std::uint32_t root = attr::kFileSystem | attr::kFileSysAncestor;
    return (m_attributes & root) == root;
}

FolderReadResult ShellFolder::Open(ItemIdList id, bool read, const std::atomic<bool>* cancel)
{
    std::optional<ShellNamespace::Folder> bound = m_ns->Bind(id);
    if (!bound)
        return Failed(ENOENT);

    // A file-system folder inside another one is no root: only a drive's mount point
    // (whose parent is Computer) keeps the ancestor bit.
    std::uint32_t attributes = bound->attributes;
    if ((attributes & attr::kFileSystem) && (attributes & attr::kFileSysAncestor) && !id.IsEmpty()) {
        const auto parentAttributes = m_ns->Attributes(*id.ParentId(1));
        if (parentAttributes && (*parentAttributes & attr::kFileSystem))
            attributes &= ~attr::kFileSysAncestor;
    }

    std::string path = m_ns->ParsingName(id).value_or(std::string());
    std::string title;
    const bool fileSystem = (attributes & attr::kFileSystem) != 0;
    const bool root = fileSystem && (attributes & attr::kFileSysAncestor);
    if (fileSystem && !root && !path.empty())
        title = path;
    else
        title = m_ns->DisplayName(id).value_or(std::string());
    if (title.empty())
        title = "<no Name>";
    if (path.empty()) {
        attributes &= ~attr::kFileSystem;
        path = title;
    }
    bound->attributes = attributes;

    ItemList items;
    FolderReadResult result{kOk, 0};
    if (read) {
        result = EnumerateInto(*bound, items, cancel);
        if (result == kFailed)
            return result;
    }

    m_id = std::move(id);
    m_attributes = attributes;
    m_kind = bound->kind;
    m_directory = std::move(bound->directory);
    m_path = std::move(path);
    m_title = std::move(title);
    m_items = std::move(items);
    ++m_version;
    return result;
}

FolderReadResult ShellFolder::Enumerate(ItemList& list, const std::atomic<bool>* cancel)
{
    ShellNamespace::Folder bound;
    bound.kind = m_kind;
    bound.directory = m_directory;
    bound.attributes = m_attributes;
    return EnumerateInto(bound, list, cancel);
}

FolderReadResult ShellFolder::EnumerateInto(const ShellNamespace::Folder& bound, ItemList& list,
                                            const std::atomic<bool>* cancel)
{
    using Kind = ShellNamespace::Folder::Kind;
    std::uint32_t flags = m_enumFlags;
    if (m_ns->ShowHiddenFiles())
        flags |= enumflags::kIncludeHidden;
    const bool fileSystemFolder = (bound.attributes & attr::kFileSystem) != 0;
    const std::size_t start = list.size();
    bool someFailed = false;

    // The Desktop is every pane's fallback: it opens when either its virtual items or
    // its directory can be read, and reports the other as not accessible.
    std::optional<std::vector<ShellNamespace::Child>> children;
    if (bound.kind != Kind::Directory) {
        children = m_ns->EnumerateVirtual(bound, flags, cancel);
        if (Cancelled(cancel))
            return Failed(ECANCELED);
        if (!children) {
            if (bound.kind != Kind::Desktop)
                return Failed(EIO);
            someFailed = true;
        }
    }

    if (bound.kind == Kind::Directory || bound.kind == Kind::Desktop) {
        DirectoryReadResult read;
        if (!bound.directory.empty()) {
            read = m_ns->ReadDirectory(bound.directory, flags, cancel, [&](FindData&& find) {
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
            return Failed(read.cancelled ? ECANCELED : read.error != 0 ? read.error : EIO);
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
        return Failed(ECANCELED);
    }
    return {someFailed ? kPartial : kOk, 0};
}

RefreshReader::RefreshReader() = default;
RefreshReader::RefreshReader(RefreshReader&&) noexcept = default;
RefreshReader& RefreshReader::operator=(RefreshReader&&) noexcept = default;
RefreshReader::~RefreshReader() = default;

namespace {

// Puts one fresh record (or entry) into the difference: an existing record's index,
// with a change when its size, modified time or attributes differ, or, made by make,
// an added record.
template <typename Make>
void Match(RefreshDiff& diff, UnmatchedRecords& unmatched, const std::vector<RecordKey>& base, IdentityView id,
           std::uint64_t size, FileTime modified, std::uint32_t attributes, Make&& make)
{
    const std::ptrdiff_t index = unmatched.Take(id);
    if (index < 0) {
        diff.order.push_back(-1 - static_cast<std::ptrdiff_t>(diff.added.size()));
        diff.added.push_back(make());
        return;
    }
    const RecordKey& existing = base[static_cast<std::size_t>(index)];
    if (existing.size != size || existing.modified != modified || existing.attributes != attributes)
        diff.changed.push_back({static_cast<std::size_t>(index), size, modified, attributes});
    diff.order.push_back(index);
}

} // namespace

FolderReadResult RefreshReader::Read(RefreshDiff& diff, const std::atomic<bool>* cancel)
{
    diff = RefreshDiff();
    diff.version = m_version;
    if (m_reader->m_kind == ShellNamespace::Folder::Kind::Directory)
        return ReadDirectory(diff, cancel);

    ItemList fresh;
    const FolderReadResult result = m_reader->Enumerate(fresh, cancel);
    if (result == ShellFolder::kFailed)
        return result;
    diff.order.reserve(fresh.size());
    UnmatchedRecords unmatched(m_base);
    for (std::unique_ptr<ShellItem>& record : fresh) {
        Match(diff, unmatched, m_base, IdentityOf(*record), record->size, record->modified, record->Attributes(),
              [&record] { return std::move(record); });
    }
    return result;
}

FolderReadResult RefreshReader::ReadDirectory(RefreshDiff& diff, const std::atomic<bool>* cancel)
{
    // As ShellFolder::EnumerateInto reads a directory, but an entry that matches a
    // record stays an entry: only the added ones become records.
    const ShellFolder& folder = *m_reader;
    std::uint32_t flags = folder.m_enumFlags;
    if (folder.m_ns->ShowHiddenFiles())
        flags |= enumflags::kIncludeHidden;
    std::vector<FindData> entries;
    entries.reserve(m_base.size());
    bool someFailed = false;
    const DirectoryReadResult read =
        folder.m_ns->ReadDirectory(folder.m_directory, flags, cancel, [&](FindData&& find) {
            if (find.name.empty())
                someFailed = true;
            else
                entries.push_back(std::move(find));
        });
    someFailed = someFailed || read.someFailed;
    if (read.cancelled || Cancelled(cancel))
        return Failed(ECANCELED);
    if (!read.opened && !someFailed)
        return Failed(read.error != 0 ? read.error : EIO);
    if (!read.opened)
        someFailed = true;

    diff.order.reserve(entries.size());
    UnmatchedRecords unmatched(m_base);
    // the entries last listed first, as a read orders them
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        FindData& find = *it;
        const std::uint32_t attributes = ShellItem::EntryAttributes(find);
        const IdentityView id{ItemId::Kind::Entry, find.name};
        Match(diff, unmatched, m_base, id, find.size, find.modified, attributes, [&] {
            auto item = std::make_unique<ShellItem>(m_reader.get(), ItemId{ItemId::Kind::Entry, find.name});
            item->Init(std::move(find));
            return item;
        });
    }
    return {someFailed ? ShellFolder::kPartial : ShellFolder::kOk, 0};
}

RefreshReader ShellFolder::PrepareRefresh() const
{
    RefreshReader reader;
    reader.m_reader = std::make_unique<ShellFolder>(*m_ns, m_enumFlags);
    ShellFolder& copy = *reader.m_reader;
    copy.m_ns = m_ns;
    copy.m_attributes = m_attributes;
    copy.m_kind = m_kind;
    copy.m_directory = m_directory;
    copy.m_path = m_path;
    copy.m_title = m_title;
    reader.m_base.reserve(m_items.size());
    for (const auto& item : m_items)
        reader.m_base.push_back({item->Id().kind, item->Id().key, item->size, item->modified, item->Attributes()});
    reader.m_version = m_version;
    return reader;
}

std::optional<RefreshApplied> ShellFolder::ApplyRefresh(RefreshDiff&& diff)
{
    if (diff.version != m_version)
        return std::nullopt;
    RefreshApplied applied;
    applied.changed.reserve(diff.changed.size());
    for (const RefreshDiff::Change& change : diff.changed) {
        ShellItem& item = *m_items[change.index];
        applied.changed.push_back({&item, item.size});
        item.size = change.size;
        item.modified = change.modified;
        // A name that became a folder (or stopped being a link) must not keep the old
        // kind; created and accessed times stay as they were.
        item.SetAttributes(change.attributes);
    }
    ItemList ordered;
    ordered.reserve(diff.order.size());
    applied.added.reserve(diff.added.size());
    for (const std::ptrdiff_t from : diff.order) {
        if (from >= 0) {
            ordered.push_back(std::move(m_items[static_cast<std::size_t>(from)]));
            continue;
        }
        std::unique_ptr<ShellItem>& record = diff.added[static_cast<std::size_t>(-1 - from)];
        record->m_folder = this;
        applied.added.push_back(record.get());
        ordered.push_back(std::move(record));
    }
    for (std::unique_ptr<ShellItem>& existing : m_items) {
        if (existing)
            applied.vanished.push_back(std::move(existing));
    }
    m_items = std::move(ordered);
    ++m_version;
    return applied;
}

std::optional<RefreshApplied> ShellFolder::Refresh(const std::atomic<bool>* cancel)
{
    RefreshReader reader = PrepareRefresh();
    RefreshDiff diff;
    if (reader.Read(diff, cancel) == kFailed)
        return std::nullopt;
    return ApplyRefresh(std::move(diff));
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
    if (found != m_items.end()) {
        m_items.erase(found);
        ++m_version;
    }
}

std::optional<ItemIdList> ShellFolder::ParentId(std::size_t n) const
{
    return m_id.ParentId(n);
}

} // namespace bivora

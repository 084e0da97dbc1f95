#pragma once

#include <QHash>
#include <QString>

#include <memory>
#include <stdexcept>
#include <vector>

/// The error a collection member reports to its caller.
class roCollectionError : public std::runtime_error {
public:
    /// Classic error numbers: 457 key already present, 9 position out of range, 5 key not present.
    enum Kind {
        DuplicateKey = 457,
        OutOfRange = 9,
        KeyNotFound = 5
    };
    roCollectionError(Kind kind, const char *what)
        : std::runtime_error(what)
        , m_kind(kind)
    {
    }
    /// Which error it is (also its classic number).
    Kind Number() const { return m_kind; }

private:
    Kind m_kind;
};

/// An ordered, keyed list of shared members: positions count from 1, keys are
/// unique and compare without regard to letter case. Base of cLocations,
/// cAreas, cPrefs and cCities, which add their own Add.
template <class T>
class roCollection {
    struct Entry {
        bool keyed;
        QString key; // as given
        std::shared_ptr<T> member;
    };

public:
    /// Iterates the members in list order, yielding std::shared_ptr<T>.
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::shared_ptr<T>;
        using difference_type = std::ptrdiff_t;
        using pointer = const value_type *;
        using reference = const value_type &;
        const_iterator() = default;
        reference operator*() const { return m_it->member; }
        pointer operator->() const { return &m_it->member; }
        const_iterator &operator++()
        {
            ++m_it;
            return *this;
        }
        const_iterator operator++(int)
        {
            auto old = *this;
            ++m_it;
            return old;
        }
        bool operator==(const const_iterator &other) const { return m_it == other.m_it; }

    private:
        friend class roCollection;
        explicit const_iterator(typename std::vector<Entry>::const_iterator it)
            : m_it(it)
        {
        }
        typename std::vector<Entry>::const_iterator m_it;
    };

    roCollection(const roCollection &) = delete;
    roCollection &operator=(const roCollection &) = delete;

    /// The member at a 1-based position; throws roCollectionError (OutOfRange).
    std::shared_ptr<T> Item(int index) const { return m_entries[position(index)].member; }
    /// The member with a key (any letter case); throws roCollectionError (KeyNotFound).
    std::shared_ptr<T> Item(const QString &key) const { return byKey(key); }
    /// Same as Item (the default member).
    std::shared_ptr<T> operator[](int index) const { return Item(index); }
    /// Same as Item (the default member).
    std::shared_ptr<T> operator[](const QString &key) const { return Item(key); }
    /// Makes room for this many members in all (a hint: nothing else changes).
    void Reserve(int count)
    {
        if (count > 0)
            m_entries.reserve(static_cast<std::size_t>(count));
    }
    /// Number of members.
    int Count() const { return static_cast<int>(m_entries.size()); }
    /// Removes the member at a 1-based position; later members move up.
    void Remove(int index) { erase(position(index)); }
    /// Removes the member with a key (any letter case).
    void Remove(const QString &key)
    {
        const T *wanted = byKey(key).get();
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            if (m_entries[i].keyed && m_entries[i].member.get() == wanted) {
                erase(i);
                return;
            }
        }
    }
    /// A snapshot of the members in list order (safe to keep while the collection changes).
    std::vector<std::shared_ptr<T>> NewEnum() const
    {
        std::vector<std::shared_ptr<T>> all;
        all.reserve(m_entries.size());
        for (const auto &e : m_entries)
            all.push_back(e.member);
        return all;
    }
    /// First member (range-for).
    const_iterator begin() const { return const_iterator(m_entries.cbegin()); }
    /// Past the last member (range-for).
    const_iterator end() const { return const_iterator(m_entries.cend()); }

protected:
    roCollection() = default;
    ~roCollection() = default;

    // Appends with a key, or none when key is empty and !alwaysKeyed; a key
    // already present throws and leaves the list as it was.
    std::shared_ptr<T> Append(std::shared_ptr<T> member, QString key, bool alwaysKeyed = false)
    {
        const bool keyed = alwaysKeyed || !key.isEmpty();
        if (keyed && find(key) != nullptr)
            throw roCollectionError(roCollectionError::DuplicateKey, "key is already associated with an element");
        m_entries.push_back(Entry{keyed, std::move(key), std::move(member)});
        if (keyed) {
            ++m_keyed;
            if (!m_byKey.isEmpty())
                m_byKey.insert(m_entries.back().key.toCaseFolded(), m_entries.back().member);
            else if (m_keyed > kLinearKeys)
                index();
        }
        return m_entries.back().member;
    }

private:
    // Small collections (nearly all of them) are searched in place; larger
    // ones get a hash of case-folded keys.
    static constexpr int kLinearKeys = 16;

    void index()
    {
        for (const auto &e : m_entries) {
            if (e.keyed)
                m_byKey.insert(e.key.toCaseFolded(), e.member);
        }
    }

    const std::shared_ptr<T> *find(const QString &key) const
    {
        if (!m_byKey.isEmpty()) {
            const auto it = m_byKey.constFind(key.toCaseFolded());
            return it == m_byKey.cend() ? nullptr : &it.value();
        }
        for (const auto &e : m_entries) {
            if (e.keyed && e.key.compare(key, Qt::CaseInsensitive) == 0)
                return &e.member;
        }
        return nullptr;
    }

    std::size_t position(int index) const
    {
        if (index < 1 || index > Count())
            throw roCollectionError(roCollectionError::OutOfRange, "subscript out of range");
        return static_cast<std::size_t>(index - 1);
    }

    const std::shared_ptr<T> &byKey(const QString &key) const
    {
        const std::shared_ptr<T> *member = find(key);
        if (member == nullptr)
            throw roCollectionError(roCollectionError::KeyNotFound, "no member with this key");
        return *member;
    }

    void erase(std::size_t i)
    {
        if (m_entries[i].keyed) {
            --m_keyed;
            if (!m_byKey.isEmpty())
                m_byKey.remove(m_entries[i].key.toCaseFolded());
        }
        m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(i));
    }

    std::vector<Entry> m_entries;
    QHash<QString, std::shared_ptr<T>> m_byKey; // case-folded key -> member, once large
    int m_keyed = 0;
};

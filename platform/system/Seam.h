// A process-wide replaceable function or interface: the program calls through the seam, and a test puts its
// own in place for as long as a SeamOverride lives. The override puts back what was there before, so no
// fixture can leak its replacement into the next test.
//
//     extern Seam<PFN_MOVE_FILE_EX> g_pfnMoveFileEx;       // defined with its default: Seam<...> x{&::MoveFileExW};
//     g_pfnMoveFileEx(from, to, flags);                     // production code calls through it
//     SeamOverride move(g_pfnMoveFileEx, &FailingMove);     // a test, for the rest of its scope
//
// The seam is read at every call and may be read and replaced from any thread. Pointers (functions and
// interfaces) are held in an atomic; other values (std::function, small structs of pointers) under a lock,
// and a call works on a copy, so a replacement never pulls a function out from under a running call.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <type_traits>
#include <utility>

namespace seam_detail
{

template <typename T, bool = std::is_pointer_v<T>> class Storage;

template <typename T> class Storage<T, true>
{
  public:
    constexpr explicit Storage(T value) : m_value(value)
    {
    }
    T Load() const
    {
        return m_value.load();
    }
    T Swap(T value)
    {
        return m_value.exchange(value);
    }

  private:
    std::atomic<T> m_value;
};

template <typename T> class Storage<T, false>
{
  public:
    explicit Storage(T value) : m_value(std::move(value))
    {
    }
    T Load() const
    {
        Shared lock(m_lock);
        return m_value;
    }
    T Swap(T value)
    {
        Exclusive lock(m_lock);
        std::swap(m_value, value);
        return value;
    }

  private:
    struct Shared
    {
        explicit Shared(SRWLOCK &lock) : m_lock(lock)
        {
            ::AcquireSRWLockShared(&m_lock);
        }
        ~Shared()
        {
            ::ReleaseSRWLockShared(&m_lock);
        }
        SRWLOCK &m_lock;
    };
    struct Exclusive
    {
        explicit Exclusive(SRWLOCK &lock) : m_lock(lock)
        {
            ::AcquireSRWLockExclusive(&m_lock);
        }
        ~Exclusive()
        {
            ::ReleaseSRWLockExclusive(&m_lock);
        }
        SRWLOCK &m_lock;
    };
    mutable SRWLOCK m_lock = SRWLOCK_INIT;
    T m_value;
};

// A null pointer or an empty std::function; a struct is never empty.
template <typename T> bool IsEmpty(const T &value)
{
    if constexpr (std::is_constructible_v<bool, const T &>)
        return !static_cast<bool>(value);
    else
        return false;
}

} // namespace seam_detail

template <typename T> class Seam
{
  public:
    using value_type = T;

    constexpr explicit Seam(T initial) : m_default(initial), m_value(initial)
    {
    }
    Seam(const Seam &) = delete;
    Seam &operator=(const Seam &) = delete;

    T Get() const
    {
        return m_value.Load();
    }
    const T &Default() const
    {
        return m_default;
    }
    // Puts value in place (an empty one brings the default back) and returns what was there.
    T Exchange(T value)
    {
        if (seam_detail::IsEmpty(value))
            value = m_default;
        return m_value.Swap(std::move(value));
    }

    // Calls the function in place.
    template <typename... Args> decltype(auto) operator()(Args &&...args) const
    {
        return std::invoke(Get(), std::forward<Args>(args)...);
    }
    // Reaches the interface in place.
    template <typename U = T, typename = std::enable_if_t<std::is_pointer_v<U>>> U operator->() const
    {
        return Get();
    }

  private:
    const T m_default;
    seam_detail::Storage<T> m_value;
};

// Puts a replacement in a seam for its own lifetime.
template <typename T> class SeamOverride
{
  public:
    SeamOverride(Seam<T> &seam, typename Seam<T>::value_type value)
        : m_seam(seam), m_previous(seam.Exchange(std::move(value)))
    {
    }
    ~SeamOverride()
    {
        m_seam.Exchange(std::move(m_previous));
    }
    SeamOverride(const SeamOverride &) = delete;
    SeamOverride &operator=(const SeamOverride &) = delete;

  private:
    Seam<T> &m_seam;
    T m_previous;
};

#pragma once

#include <optional>
#include <utility>

namespace bivora {

// What a system call made of a request: the value, or the errno of the failure.
// The errno is kept as it is, so a caller can tell "permission denied" from "does
// not exist" and show the system's own text.
template <typename T>
class SysResult {
public:
    SysResult(T value) : m_value(std::move(value)) {}
    static SysResult Failure(int error) { return SysResult(FailureTag{}, error); }

    bool Ok() const { return m_value.has_value(); }
    explicit operator bool() const { return Ok(); }
    int Error() const { return m_error; } // 0 when Ok()

    T ValueOr(T fallback) const& { return m_value ? *m_value : std::move(fallback); }

    const T& operator*() const& { return *m_value; }
    T& operator*() & { return *m_value; }
    T&& operator*() && { return std::move(*m_value); }
    const T* operator->() const { return &*m_value; }
    T* operator->() { return &*m_value; }

private:
    struct FailureTag {};
    SysResult(FailureTag, int error) : m_error(error) {}

    std::optional<T> m_value;
    int m_error = 0;
};

// The result of a call that gives nothing back but success.
struct Done {};
using SysStatus = SysResult<Done>;

} // namespace bivora

#pragma once

#include <memory>

/// Proof that the library itself asks for a model object: only the library's
/// factory can make one, so callers receive objects but never create them.
class roModelKey {
    roModelKey() = default;
    friend class roModelFactory;
};

/// The library's one way of creating model objects (used by the parsers, the
/// collections' Add and the object-valued properties).
class roModelFactory {
public:
    /// A new, empty object of a model class.
    template <class T>
    static std::shared_ptr<T> Create()
    {
        return std::make_shared<T>(roModelKey{});
    }
};

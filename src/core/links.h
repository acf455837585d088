// Ownership and weak references.
//
//   SObject<T>  sole owner of one heap object.
//   SLink<R>    the counted record shared by one master and its slaves.
//   SSlave<T>   weak, counted reference: reads null once the object is gone.
//   SMaster<T>  the owning end of a link (exactly one per link).
//
// Objects that embed a master to themselves (cells and tags, Index handles)
// have a "self master": their life is governed by their owner, so a link
// record never destroys them. All cell classes share one record type
// (SLink<Cell>), so a slave of a base class and one of a derived class can
// point at the same record; a type names its record type with `LinkRoot`.
#pragma once

#include <cstdint>
#include <type_traits>

template <class T>
class SObject {
public:
    T* object = nullptr;

    SObject() = default;
    explicit SObject(T* p) : object(p) {}
    SObject(const SObject&) = delete;
    SObject& operator=(const SObject&) = delete;
    SObject(SObject&& other) noexcept : object(other.object) { other.object = nullptr; }
    SObject& operator=(SObject&& other) noexcept {
        if (this != &other) Reset(other.Detach());
        return *this;
    }
    virtual ~SObject() { Reset(nullptr); }

    T* Get() const { return object; }
    T* operator->() const { return object; }
    T& operator*() const { return *object; }
    explicit operator bool() const { return object != nullptr; }

    // Destroys the held object (if any) and holds p instead. The pointer is
    // cleared before the old object dies, so it never sees itself held.
    void Reset(T* p) {
        T* old = object;
        object = p;
        if (old && old != p) Destroy(old);
    }

    // Gives up the object without destroying it.
    T* Detach() {
        T* p = object;
        object = nullptr;
        return p;
    }

private:
    // Raw buffers (SObject<unsigned char>, SObject<unsigned int>) are arrays.
    static void Destroy(T* p) {
        if constexpr (std::is_arithmetic_v<T>) delete[] p;
        else delete p;
    }
};

template <class T>
struct LinkRootOf {
    using type = T;
};
template <class T>
    requires requires { typename T::LinkRoot; }
struct LinkRootOf<T> {
    using type = typename T::LinkRoot;
};
template <class T>
using LinkRootT = typename LinkRootOf<std::remove_const_t<T>>::type;

template <class R>
class SLink {
public:
    int32_t count = 1;
    SObject<R> holder;

    explicit SLink(R* object) : holder(object) {}
    virtual ~SLink() = default;
};

namespace links_detail {
// True when obj embeds a master whose record is link.
template <class R>
bool IsSelfLink(R* obj, SLink<R>* link) {
    if constexpr (requires(R* o) {
                      o->HasSelfMaster();
                      o->SelfLink();
                  }) {
        return obj->HasSelfMaster() && obj->SelfLink() == link;
    } else {
        (void)obj;
        (void)link;
        return false;
    }
}
template <class R>
bool HasSelf(R* obj) {
    if constexpr (requires(R* o) { o->HasSelfMaster(); }) return obj->HasSelfMaster();
    else return false;
}
}  // namespace links_detail

template <class T>
class SSlave {
public:
    using Root = LinkRootT<T>;
    SLink<Root>* link = nullptr;

    SSlave() = default;
    SSlave(const SSlave& other) { PointAt(other.link); }
    template <class U>
        requires(std::is_same_v<LinkRootT<U>, Root> && std::is_convertible_v<U*, T*>)
    SSlave(const SSlave<U>& other) {
        PointAt(other.link);
    }
    SSlave(SSlave&& other) noexcept : link(other.link) { other.link = nullptr; }
    SSlave& operator=(const SSlave& other) {
        PointAt(other.link);
        return *this;
    }
    SSlave& operator=(SSlave&& other) noexcept {
        if (this != &other) {
            if (link == other.link) {
                other.Release();
            } else {
                Release();
                link = other.link;
                other.link = nullptr;
            }
        }
        return *this;
    }
    virtual ~SSlave() { Release(); }

    // A slave that alone keeps obj: releasing it destroys obj (unless obj has
    // a self master). Used for replies and other fresh objects.
    static SSlave Adopt(T* obj) {
        SSlave s;
        if (obj) s.link = new SLink<Root>(obj);
        return s;
    }

    T* Get() const { return link ? static_cast<T*>(link->holder.Get()) : nullptr; }
    T* operator->() const { return Get(); }
    explicit operator bool() const { return Get() != nullptr; }

    // Points at another record (counting it); the same record does nothing.
    void PointAt(SLink<Root>* other) {
        if (other == link) return;
        Release();
        link = other;
        if (link) ++link->count;
    }

    // A view of the same link under another type of the same family; the
    // caller knows the object is a U.
    template <class U>
    SSlave<U> As() const {
        SSlave<U> s;
        s.PointAt(link);
        return s;
    }

    void Release() {
        SLink<Root>* l = link;
        if (!l) return;
        link = nullptr;
        if (--l->count == 0) {
            Root* obj = l->holder.Get();
            if (obj && links_detail::HasSelf(obj)) l->holder.Detach();
            delete l;  // destroys an object without a self master
        }
    }
};

template <class T>
class SMaster : public SSlave<T> {
public:
    using Root = typename SSlave<T>::Root;

    SMaster() = default;
    explicit SMaster(T* obj) { Reset(obj); }
    SMaster(const SMaster&) = delete;
    SMaster& operator=(const SMaster&) = delete;
    ~SMaster() override { DestroyObject(); }

    // Holds obj through a new link record, ending the old object first.
    void Reset(T* obj) {
        DestroyObject();
        this->Release();
        if (obj) this->link = new SLink<Root>(obj);
    }

private:
    // A self master only lets go of its object; any other master destroys
    // it. Every slave reads null from here on.
    void DestroyObject() {
        SLink<Root>* l = this->link;
        if (!l) return;
        Root* obj = l->holder.Get();
        if (!obj) return;
        if (links_detail::IsSelfLink(obj, l)) l->holder.Detach();
        else l->holder.Reset(nullptr);
    }
};

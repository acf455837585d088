// MemBlock: a growable byte buffer of equal pages, the medium of all
// serialisation; MemBlockCursor reads, writes and seeks in it.
//
// Size = (pages - 1) * page size + bytes used in the last page. Values are
// copied as they lie in memory: little-endian and packed.
#pragma once

#include <cstdint>
#include <cstring>

struct MemBlockPage {
    uint8_t* data = nullptr;
    MemBlockPage* next = nullptr;
};

class MemBlock {
public:
    int64_t pageSize = 1024;
    MemBlockPage* first = nullptr;
    int64_t lastUsed = 0;  // bytes used in the last page

    explicit MemBlock(int64_t pageSize = 1024) : pageSize(pageSize) {}
    MemBlock(const MemBlock&) = delete;
    MemBlock& operator=(const MemBlock&) = delete;
    virtual ~MemBlock() { Clear(); }

    int64_t Size() const { return pageCount_ == 0 ? 0 : (pageCount_ - 1) * pageSize + lastUsed; }
    int64_t PageCount() const { return pageCount_; }
    MemBlockPage* Last() const { return last_; }

    // Frees every page.
    void Clear();

    // Appends a new, empty last page; false when the page size is unusable.
    MemBlockPage* AppendPage();

    // Replaces the content with a copy of other's bytes (same page size).
    void CopyFrom(const MemBlock& other);

    // Byte-wise equality of the contents, whatever the page sizes.
    bool SameBytes(const MemBlock& other) const;

private:
    MemBlockPage* last_ = nullptr;
    int64_t pageCount_ = 0;
};

class MemBlockCursor {
public:
    MemBlock* block = nullptr;
    MemBlockPage* page = nullptr;
    int64_t offset = 0;  // within page

    explicit MemBlockCursor(MemBlock& b) : block(&b) {}
    virtual ~MemBlockCursor() = default;

    // Copies n bytes out; fails, changing nothing, when fewer remain.
    bool Read(void* out, int64_t n) {
        // Most reads lie within the current page.
        if (page && n > 0 && offset + n <= (page->next ? block->pageSize : block->lastUsed)) {
            std::memcpy(out, page->data + offset, size_t(n));
            offset += n;
            return true;
        }
        return ReadSlow(out, n);
    }

    // Copies n bytes in at the position, overwriting or appending pages.
    bool Write(const void* in, int64_t n) {
        if (page && n > 0 && offset + n <= block->pageSize) {
            std::memcpy(page->data + offset, in, size_t(n));
            offset += n;
            if (page == block->Last() && offset > block->lastUsed) block->lastUsed = offset;
            return true;
        }
        return WriteSlow(in, n);
    }

    // Moves to absolute offset a; fails beyond the end.
    bool Seek(int64_t a);

    int64_t Offset() const;
    int64_t Remaining() const { return block->Size() - Offset(); }

    template <class T>
    bool ReadValue(T& v) { return Read(&v, int64_t(sizeof(T))); }
    template <class T>
    bool WriteValue(const T& v) { return Write(&v, int64_t(sizeof(T))); }

private:
    bool ReadSlow(void* out, int64_t n);
    bool WriteSlow(const void* in, int64_t n);
    int64_t pageIndex_ = 0;  // index of page, kept so offsets are O(1)
};

// Copies n bytes from one cursor to another, a piece at a time.
bool CopyCursorBytes(MemBlockCursor& from, MemBlockCursor& to, int64_t n);

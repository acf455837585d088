#include "core/mem_block.h"

#include <cstdlib>
#include <cstring>

#include "core/dynamic_array.h"

// ---- MemBlock ----------------------------------------------------------

void MemBlock::Clear() {
    MemBlockPage* p = first;
    while (p) {
        MemBlockPage* next = p->next;
        std::free(p->data);
        delete p;
        p = next;
    }
    first = last_ = nullptr;
    pageCount_ = 0;
    lastUsed = 0;
}

MemBlockPage* MemBlock::AppendPage() {
    if (pageSize <= 0) return nullptr;
    auto* page = new MemBlockPage;
    page->data = static_cast<uint8_t*>(std::malloc(size_t(pageSize)));
    if (!page->data) FatalOutOfMemory();
    if (last_) last_->next = page;
    else first = page;
    last_ = page;
    ++pageCount_;
    lastUsed = 0;
    return page;
}

void MemBlock::CopyFrom(const MemBlock& other) {
    if (&other == this) return;
    Clear();
    pageSize = other.pageSize;
    for (MemBlockPage* p = other.first; p; p = p->next) {
        MemBlockPage* mine = AppendPage();
        if (!mine) return;
        const int64_t used = p->next ? pageSize : other.lastUsed;
        std::memcpy(mine->data, p->data, size_t(used));
        lastUsed = used;
    }
}

bool MemBlock::SameBytes(const MemBlock& other) const {
    if (Size() != other.Size()) return false;
    MemBlock& a = const_cast<MemBlock&>(*this);
    MemBlock& b = const_cast<MemBlock&>(other);
    MemBlockCursor ca(a), cb(b);
    uint8_t x[256], y[256];
    int64_t left = Size();
    while (left > 0) {
        const int64_t n = left < 256 ? left : 256;
        if (!ca.Read(x, n) || !cb.Read(y, n)) return false;
        if (std::memcmp(x, y, size_t(n)) != 0) return false;
        left -= n;
    }
    return true;
}

// ---- MemBlockCursor ----------------------------------------------------

int64_t MemBlockCursor::Offset() const {
    if (!page) return 0;
    return pageIndex_ * block->pageSize + offset;
}

bool MemBlockCursor::ReadSlow(void* out, int64_t n) {
    if (n < 0) return false;
    if (n == 0) return true;
    if (Remaining() < n) return false;
    if (!page) {
        page = block->first;
        offset = 0;
        pageIndex_ = 0;
    }
    auto* dst = static_cast<uint8_t*>(out);
    while (n > 0) {
        const int64_t end = page->next ? block->pageSize : block->lastUsed;
        if (offset >= end) {
            page = page->next;  // Remaining() guaranteed there is one
            ++pageIndex_;
            offset = 0;
            continue;
        }
        int64_t take = end - offset;
        if (take > n) take = n;
        std::memcpy(dst, page->data + offset, size_t(take));
        dst += take;
        offset += take;
        n -= take;
    }
    return true;
}

bool MemBlockCursor::WriteSlow(const void* in, int64_t n) {
    if (n < 0 || block->pageSize <= 0) return false;
    if (n == 0) return true;
    if (!page) {
        if (!block->first && !block->AppendPage()) return false;
        page = block->first;
        offset = 0;
        pageIndex_ = 0;
    }
    const auto* src = static_cast<const uint8_t*>(in);
    const int64_t pageSize = block->pageSize;
    while (n > 0) {
        if (offset >= pageSize) {
            if (page->next) {
                page = page->next;
            } else {
                page = block->AppendPage();
                if (!page) return false;
            }
            ++pageIndex_;
            offset = 0;
        }
        int64_t put = pageSize - offset;
        if (put > n) put = n;
        std::memcpy(page->data + offset, src, size_t(put));
        src += put;
        offset += put;
        n -= put;
        if (page == block->Last() && offset > block->lastUsed) block->lastUsed = offset;
    }
    return true;
}

bool MemBlockCursor::Seek(int64_t a) {
    if (a < 0 || a > block->Size()) return false;
    if (!block->first) {
        page = nullptr;
        offset = 0;
        pageIndex_ = 0;
        return true;
    }
    MemBlockPage* p = block->first;
    int64_t index = 0;
    int64_t rest = a;
    // Walk the pages; an offset on a page boundary stays at the end of the
    // earlier page, so a seek to the very end never needs a page that is not there.
    while (rest > block->pageSize && p->next) {
        rest -= block->pageSize;
        p = p->next;
        ++index;
    }
    page = p;
    offset = rest;
    pageIndex_ = index;
    return true;
}

bool CopyCursorBytes(MemBlockCursor& from, MemBlockCursor& to, int64_t n) {
    uint8_t buffer[4096];
    while (n > 0) {
        const int64_t piece = n < int64_t(sizeof buffer) ? n : int64_t(sizeof buffer);
        if (!from.Read(buffer, piece) || !to.Write(buffer, piece)) return false;
        n -= piece;
    }
    return n == 0;
}

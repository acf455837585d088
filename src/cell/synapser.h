// Synapser: the link list of one tag, weak links to cells elsewhere that
// depend on it. Dead links are dropped lazily: before an addition, and while
// notifying.
#pragma once

#include "cell/cell.h"
#include "core/container.h"
#include "core/links.h"

class Synapser {
public:
    Container<SSlave<Cell>> links;

    Synapser() = default;
    Synapser(const Synapser&) = delete;
    Synapser& operator=(const Synapser&) = delete;
    virtual ~Synapser() = default;

    int32_t Count() const { return links.count; }
    Cell* At(int32_t i) const {
        SSlave<Cell>* s = links.At(i);
        return s ? s->Get() : nullptr;
    }

    // Drops dead links, then appends one to target.
    void Add(const SSlave<Cell>& target);
    void Add(Cell* target) { Add(target ? target->SelfSlave() : SSlave<Cell>()); }

    // Removes every link whose record is null or whose object is gone,
    // keeping the order of the rest.
    void RemoveDead();

    // Marks every live linked cell changed; a dead link is replaced by the
    // last one (order is not kept).
    void Notify();
    // Hands message to every live linked cell, dropping dead links the same
    // way. Returns how many received it.
    int32_t Deliver(Cell& message);
    // The number of live links.
    int32_t LiveCount() const;
    // The first live linked cell, or null.
    Cell* FirstLive() const;

    void CopyFrom(const Synapser& other);
};

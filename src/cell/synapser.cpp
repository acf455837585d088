#include "cell/synapser.h"

void Synapser::RemoveDead() {
    links.RemoveIf([](SSlave<Cell>* s) { return !s || !s->link || !s->Get(); });
}

void Synapser::Add(const SSlave<Cell>& target) {
    RemoveDead();
    links.Add(new SSlave<Cell>(target));
}

namespace {

// Visits the live links in order; a dead link is replaced by the last one,
// which is visited next. A visit may add links: they are visited too.
template <class Visit>
void VisitLive(Container<SSlave<Cell>>& links, Visit visit) {
    for (int32_t i = 0; i < links.count;) {
        SSlave<Cell>* s = links.items[i];
        Cell* target = s ? s->Get() : nullptr;
        if (!target) {
            const int32_t last = links.count - 1;
            links.items[i] = links.items[last];
            links.items[last] = s;
            links.Remove(last);
            continue;
        }
        visit(*target);
        ++i;
    }
}

}  // namespace

void Synapser::Notify() {
    VisitLive(links, [](Cell& target) {
        if (!target.IsChanged()) target.MarkChanged();
    });
}

int32_t Synapser::Deliver(Cell& message) {
    int32_t delivered = 0;
    VisitLive(links, [&](Cell& target) {
        target.Receive(message);
        ++delivered;
    });
    return delivered;
}

int32_t Synapser::LiveCount() const {
    int32_t live = 0;
    for (int32_t i = 0; i < links.count; ++i)
        if (At(i)) ++live;
    return live;
}

Cell* Synapser::FirstLive() const {
    for (int32_t i = 0; i < links.count; ++i)
        if (Cell* target = At(i)) return target;
    return nullptr;
}

void Synapser::CopyFrom(const Synapser& other) {
    if (&other == this) return;
    links.Clear();
    for (int32_t i = 0; i < other.links.count; ++i) {
        SSlave<Cell>* s = other.links.items[i];
        links.Add(s ? new SSlave<Cell>(*s) : nullptr);
    }
}

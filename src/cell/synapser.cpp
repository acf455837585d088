#include "cell/synapser.h"

void Synapser::RemoveDead() {
    links.RemoveIf([](SSlave<Cell>* s) { return !s || !s->link || !s->Get(); });
}

void Synapser::Add(const SSlave<Cell>& target) {
    RemoveDead();
    links.Add(new SSlave<Cell>(target));
}

void Synapser::Notify() {
    for (int32_t i = 0; i < links.count;) {
        SSlave<Cell>* s = links.items[i];
        Cell* target = s ? s->Get() : nullptr;
        if (!target) {
            // Swap-remove: the last link takes this place and is visited next.
            const int32_t last = links.count - 1;
            links.items[i] = links.items[last];
            links.items[last] = s;
            links.Remove(last);
            continue;
        }
        if (!target->IsChanged()) target->MarkChanged();
        ++i;
    }
}

void Synapser::CopyFrom(const Synapser& other) {
    if (&other == this) return;
    links.Clear();
    for (int32_t i = 0; i < other.links.count; ++i) {
        SSlave<Cell>* s = other.links.items[i];
        links.Add(s ? new SSlave<Cell>(*s) : nullptr);
    }
}

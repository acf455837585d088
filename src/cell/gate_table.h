// The gate table: every open gate cell, keyed by a copy of its gate key,
// whose own hash and equality the table uses.
#pragma once

#include "cell/gates.h"
#include "cell/hash_container.h"

template <>
struct HashKeyOps<SObject<const GateKey>> {
    static uint64_t Hash(const SObject<const GateKey>& k) { return k ? k->Hash() : 0; }
    static bool Equal(const SObject<const GateKey>& a, const SObject<const GateKey>& b) {
        return a && b ? a->Equals(*b) : a.Get() == b.Get();
    }
};

using GateTable = HashContainer<SObject<const GateKey>, SObject<GCell>>;

// The process's table, made with 64 empty slots on first use.
GateTable& Gates();

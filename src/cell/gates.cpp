#include "cell/gates.h"

void VirtualGate::SetKey(const GateKey& k) { key.Reset(k.Duplicate()); }

// The plain gate reaches nothing: every operation fails.
bool VirtualGate::Open(int32_t) { return false; }
bool VirtualGate::Close() { return false; }
bool VirtualGate::Write(const void*, int64_t) { return false; }
bool VirtualGate::Read(void*, int64_t) { return false; }
bool VirtualGate::IsOpen() const { return false; }

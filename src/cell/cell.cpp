#include "cell/cell.h"

void Cell::CopyFrom(const Cell&) {}
void Cell::CopyValues(const Cell& other) { CopyFrom(other); }
void Cell::MarkChanged() {}
void Cell::Refresh() {}
void Cell::ClearChanged() {}
SSlave<Cell> Cell::Receive(Cell&) { return {}; }
CellKey Cell::ClassKey() const { return kClassKey; }
CellKey Cell::BaseKey() const { return kBaseKey; }
const WChar* Cell::ClassName() const { return kClassName; }
bool Cell::Locate(CellLocation&) { return false; }
SSlave<Cell> Cell::Resolve(const CellLocation&) { return {}; }
bool Cell::IsChanged() const { return false; }
bool Cell::HasSelfMaster() const { return false; }
bool Cell::Accepts(CellKey) const { return false; }
bool Cell::Equals(const Cell& other) const { return ClassKey() == other.ClassKey(); }
bool Cell::Import(MemBlockCursor&, double, LocationCollector*) { return true; }
bool Cell::Export(MemBlockCursor&, int) { return true; }
SLink<Cell>* Cell::SelfLink() const { return nullptr; }
SLink<Cell>* Cell::EnsureSelfLink() const { return nullptr; }

SSlave<Cell> Cell::SelfSlave() const {
    SSlave<Cell> s;
    s.PointAt(EnsureSelfLink());
    return s;
}

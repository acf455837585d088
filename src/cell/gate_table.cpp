#include "cell/gate_table.h"

GateTable& Gates() {
    static GateTable* table = new GateTable(64);  // lives as long as the process
    return *table;
}

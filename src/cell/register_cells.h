// Registers the object model's own classes (containers of values, tags,
// gates, the sample classes) with the cell registry.
#pragma once

void RegisterModelCellClasses();

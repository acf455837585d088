// Fills the cell registry with every class of the program, once, and sends
// the model's import diagnostics to the log.
#pragma once

void RegisterAllCellClasses();

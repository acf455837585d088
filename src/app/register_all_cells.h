// Fills the cell registry with every class of the program, once.
#pragma once

void RegisterAllCellClasses();

// Registers every cell class of the UI toolkit: boxes, widgets, their
// item cells and their messages.
#pragma once

void RegisterUiCellClasses();

#pragma once

// Registers the widgets' cell classes.
void RegisterWidgetCellClasses();

#pragma once

class QCoreApplication;

// Puts Qt's own texts (standard dialogs, buttons and context menus) into
// Greek from the catalogue built into the program; false when it is missing.
// Call before the first widget is made: widgets take their texts when built.
bool InstallQtGreek(QCoreApplication& app);

#pragma once

class QCoreApplication;

// Puts Qt's own texts (standard dialogs, buttons and context menus) into
// Greek from the catalogue built into the program; false when it is missing.
// Call before the first widget is made: widgets take their texts when built.
// It also keeps the page preview of the page setup out of sight: it fills the
// page with Latin filler text.
bool InstallQtGreek(QCoreApplication& app);

// Makes Qt's idea of the desktop's locale Greek, so that the dialogs show
// dates, file sizes and numbers as a Greek desktop does (decimal comma),
// whatever the desktop's own language. The environment and the C library's
// locale are left as they were. Call before anything asks for the system
// locale, before the application object is made; false when it was too late.
bool UseGreekSystemLocale();

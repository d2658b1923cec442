#pragma once

// The texts with which the readers refuse a workbook (UTF-8). The import shows
// them as they are, so each says what is wrong in the person's terms.
namespace workbook::message {

inline constexpr const char* CannotOpen = "Δεν ήταν δυνατό να ανοιχτεί το αρχείο «%1».";
inline constexpr const char* FileTooLarge = "Το αρχείο «%1» είναι πολύ μεγάλο για βιβλίο εργασίας.";
inline constexpr const char* NotAWorkbook =
    "Το αρχείο «%1» δεν είναι βιβλίο εργασίας (.xls, .xlsx, .ods ή .csv) ή είναι κατεστραμμένο.";
inline constexpr const char* NotXls =
    "Το αρχείο δεν είναι βιβλίο εργασίας Excel 97-2003 (.xls) ή είναι κατεστραμμένο.";
inline constexpr const char* OldXls = "Το βιβλίο εργασίας είναι γραμμένο σε πολύ παλιά μορφή του Excel. "
                                      "Αποθηκεύστε το ως .xls (Excel 97-2003) ή .xlsx "
                                      "και δοκιμάστε ξανά.";
inline constexpr const char* Damaged = "Το βιβλίο εργασίας είναι κατεστραμμένο ή ελλιπές: %1.";
inline constexpr const char* Encrypted = "Το βιβλίο εργασίας προστατεύεται με κωδικό πρόσβασης. Αφαιρέστε "
                                         "τον κωδικό, αποθηκεύστε το και δοκιμάστε ξανά.";
inline constexpr const char* NotXlsx = "Το αρχείο δεν είναι βιβλίο εργασίας .xlsx ή είναι κατεστραμμένο.";
inline constexpr const char* NotOds = "Το αρχείο δεν είναι υπολογιστικό φύλλο .ods ή είναι κατεστραμμένο.";
inline constexpr const char* NoWorksheet = "Το βιβλίο εργασίας δεν έχει φύλλο εργασίας.";
inline constexpr const char* EmptySheet = "Το πρώτο φύλλο του βιβλίου εργασίας δεν έχει στοιχεία.";
inline constexpr const char* TooLarge = "Το πρώτο φύλλο του βιβλίου εργασίας είναι πολύ μεγάλο για εισαγωγή "
                                        "(%1 γραμμές επί %2 στήλες, από το A1 ως το "
                                        "%3).";
inline constexpr const char* OutOfMemory = "Το βιβλίο εργασίας είναι πολύ μεγάλο για να διαβαστεί.";
// What is wrong with one cell, said after the cell's name: the reader puts
// "Το κελί E7 του πρώτου φύλλου " before it, the import the sheet row and the
// column's field.
inline constexpr const char* CellNamed = "Το κελί %1 του πρώτου φύλλου %2";
inline constexpr const char* LineBreak =
    "έχει κείμενο σε περισσότερες από μία γραμμές. Κάθε στοιχείο της "
    "δήλωσης γράφεται σε μία γραμμή: διορθώστε το κελί και δοκιμάστε ξανά.";
inline constexpr const char* ControlCharacter =
    "έχει χαρακτήρα ελέγχου (κωδικός %1) που δεν μπορεί να γραφτεί στη δήλωση. "
    "Διορθώστε το κελί και δοκιμάστε ξανά.";
inline constexpr const char* ErrorCell = "έχει σφάλμα (%1) αντί για τιμή. Διορθώστε το και δοκιμάστε ξανά.";
inline constexpr const char* BadNumber =
    "δηλώνει αριθμό, αλλά η τιμή του «%1» δεν είναι αριθμός που μπορεί να γραφτεί στη δήλωση. "
    "Γράψτε ξανά την τιμή του κελιού, αποθηκεύστε το βιβλίο εργασίας και δοκιμάστε ξανά.";
inline constexpr const char* MissingValue =
    "δηλώνει τιμή είδους «%1» χωρίς να έχει την τιμή. Γράψτε ξανά την τιμή του κελιού, αποθηκεύστε "
    "το βιβλίο εργασίας και δοκιμάστε ξανά.";
inline constexpr const char* MissingString =
    "Το βιβλίο εργασίας είναι κατεστραμμένο: το κελί %1 παραπέμπει σε κείμενο που δεν υπάρχει.";

inline constexpr const char* NoFormulaValue =
    "έχει τύπο χωρίς υπολογισμένη τιμή: το πρόγραμμα που έγραψε το βιβλίο "
    "εργασίας δεν υπολόγισε τους τύπους του. Ανοίξτε το μία φορά σε πρόγραμμα υπολογιστικών φύλλων, "
    "αποθηκεύστε το για να υπολογιστούν οι τιμές και δοκιμάστε ξανά. Αν ο τύπος δίνει πράγματι κενό "
    "κείμενο, αφήστε το κελί κενό.";
inline constexpr const char* DateCell = "έχει ημερομηνία ή ώρα, που καμία στήλη της δήλωσης δεν δέχεται. "
                                        "Γράψτε το στοιχείο ως κείμενο ή αριθμό και δοκιμάστε ξανά.";

} // namespace workbook::message

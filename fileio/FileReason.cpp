#include "fileio/FileReason.h"

#include <cerrno>
#include <cstring>

std::string FileReason(int error, FileAction action)
{
    // A failure that left no code behind is still a failure of the device.
    if (error == 0)
        error = EIO;
    switch (error) {
    case kNotRegularFile:
        return "Δεν είναι κανονικό αρχείο (είναι συσκευή, σωλήνωση ή υποδοχή) και δεν αντικαθίσταται.";
    case kForeignLink:
        return "Είναι σύνδεσμος που έβαλε άλλος χρήστης σε κοινόχρηστο φάκελο και δεν ακολουθείται.";
    case ENOSPC:
    case EDQUOT:
        return "Δεν υπάρχει αρκετός ελεύθερος χώρος στον δίσκο.";
    case EROFS:
        return "Ο δίσκος επιτρέπει μόνο ανάγνωση.";
    case EACCES:
    case EPERM:
        return "Δεν έχετε δικαίωμα πρόσβασης στο αρχείο ή στον φάκελό του.";
    case ENOENT:
    case ENOTDIR:
        return action == FileAction::Write ? "Ο φάκελος του αρχείου δεν υπάρχει." : "Το αρχείο δεν υπάρχει.";
    case EISDIR:
        return "Είναι φάκελος, όχι αρχείο.";
    case EFBIG:
        return "Το αρχείο είναι πολύ μεγάλο για τον δίσκο.";
    default:
        break;
    }
    return std::string("Παρουσιάστηκε σφάλμα του συστήματος: ") + std::strerror(error) + ".";
}

std::string FileErrorMessage(const std::string& path, int error, FileAction action)
{
    return "Το αρχείο «" + path + "» δεν μπορεί να " +
           (action == FileAction::Write ? "γραφτεί. " : "ανοίξει. ") + FileReason(error, action);
}

std::string FolderSyncMessage(const std::string& path, int error)
{
    return "Το αρχείο «" + path +
           "» γράφτηκε, αλλά ο φάκελός του δεν περάστηκε οριστικά στον δίσκο: μια διακοπή ρεύματος "
           "μπορεί ακόμη να το χάσει. " +
           FileReason(error, FileAction::Write);
}

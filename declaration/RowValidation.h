#pragma once

#include "declaration/DetailRow.h"
#include "declaration/UserInterface.h"

#include <functional>
#include <string>

// The gate every detail row passes before it is stored. It stamps the
// constant fields, checks the row's identification, fills and normalises the
// amounts and checks how they relate; a refusal shows its message, clears the
// verdict and throws EAbort, leaving the row as far as the gate got with it.
// Errors that are not refusals (an unreadable number of days or amount, a
// tax number that is not digits) leave as they are, with the verdict untouched.
class RowValidation
{
public:
    struct Settings
    {
        std::string employerAfm; // the header's AFM as typed (cp1253)
        bool importing = false;  // a workbook import runs: no questions about the tax number
        bool newRow = false;     // only a new row is checked against the stored ones
        // Whether a stored row has this AFM (both compared trimmed at both ends) and exactly this TypeInc.
        std::function<bool(const std::string& afm, const std::string& typeInc)> isStoredPair;
        // Runs before each refusal or question, so that what the person sees
        // behind it is up to date.
        std::function<void()> beforeSpeaking;
    };

    RowValidation(UserInterface& ui, DetailRow& row, bool& rowAccepted, Settings settings);

    // Runs every step in order; returns normally when the row may be stored.
    void Run();

    // The amounts the gate has read, as the limits compare them.
    enum Amount {
        Gross,
        Stamp,
        StampLevy,
        Deductions,
        Net,
        ShareOfNet,
        Withheld,
        Due,
        WithheldLevy,
        DueLevy,
        AmountCount
    };
    // The limits on how the amounts relate, each refused or asked about.
    enum class Limit {
        DeductionsAboveGross,
        StampAboveGross,
        StampLevyAboveGross,
        WithheldAboveGross,
        DueAboveGross,
        WithheldAboveDue,
        WithheldAboveShareOfNet,
        DueAboveShareOfNet,
        WithheldLevyAboveGross,
        DueLevyAboveGross,
        Count
    };

private:
    void StampConstantFields();
    void AskIfEmployerNumber();
    void RequireMandatoryFields();
    void AskIfNumberFailsCheck();
    void RequireKnownIncomeKind();
    void RefuseRepeatedPair();
    void FillEmptyAmountsWithZero();
    void LimitDays();
    void NormaliseAmounts();
    void RequireAmountsFitFile();
    void ReadGrossAndDeductions();
    void RequireNetAgrees();
    void ReadTaxes();
    void ReadTaxLevies();
    void Check(Limit limit);
    void Accept();

    [[noreturn]] void Refuse(const std::string& message);
    void Ask(const char* question);
    long double ReadOrZero(declaration::DetailField field) const;

    UserInterface& m_ui;
    DetailRow& m_row;
    bool& m_rowAccepted;
    Settings m_settings;

    // The amount texts as normalisation made them, before the store cuts them to width.
    std::string m_normalised[declaration::DetailFieldCount];
    long double m_amounts[AmountCount] = {};
};

#pragma once

#include "workspace/DetailRow.h"
#include "workspace/UserInterface.h"

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
    void RefuseDeductionsAboveGross();
    void RefuseStampAboveGross();
    void RefuseStampLevyAboveGross();
    void ReadTaxes();
    void RefuseWithheldAboveGross();
    void RefuseDueAboveGross();
    void AskIfWithheldAboveDue();
    void AskIfWithheldAboveShareOfNet();
    void AskIfDueAboveShareOfNet();
    void ReadTaxLevies();
    void RefuseWithheldLevyAboveGross();
    void RefuseDueLevyAboveGross();
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
    long double m_gross = 0, m_stamp = 0, m_stampLevy = 0, m_deductions = 0;
    long double m_remainder = 0, m_net = 0;
    long double m_withheld = 0, m_due = 0;
    long double m_withheldLevy = 0, m_dueLevy = 0;
};

#pragma once

#include "dataset/FixedFormatDataSet.h"

#include <cstddef>
#include <string>
#include <vector>

// Every check that stands between a row and the declaration, run over all the
// stored rows at once: what each row would be refused for, and which questions
// storing it would ask. Nothing is asked and no row changes: the checks run on
// a private copy of each row. The window's problem list and the console's
// check both read their verdict from here.
class DeclarationCheck
{
public:
    struct Problem
    {
        // A refusal keeps the row out of the declaration; a warning is a
        // question the person may answer "Ναι" to.
        enum class Kind { Refusal, Warning };

        size_t row;     // position among the stored rows, from 0
        int32_t lineId; // the stored line's id, by which the row is found again
        Kind kind;
        std::string afm;     // the row's AFM as stored (cp1253, trailing blanks removed)
        std::string surname; // the row's surname as stored (cp1253)
        std::string message; // the check's own words (UTF-8)
    };

    // How the questions are answered. "Ναι" lists each one and goes on with the
    // row's later checks; "Όχι" ends the row at its first question, as a
    // person who refuses it would.
    enum class Answer { Yes, No };

    // The problems of `lines` in row order, and within a row in the order the
    // checks meet them; a row stops at its first refusal. `employerAfm` is the
    // header's AFM as typed (cp1253). A row whose AFM and income kind an
    // earlier row already has is refused as a repetition.
    static std::vector<Problem> Run(const std::vector<TFixedFormatDataSet::TLine>& lines,
                                    const std::string& employerAfm, Answer answer = Answer::Yes);

    // Whether any of `problems` keeps a row out when questions get `answer`.
    static bool AnyRowRefused(const std::vector<Problem>& problems, Answer answer);
};

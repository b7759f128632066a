// The word utilities of NC program lines: compress (blanks out), expand (blanks in),
// modify (arithmetic on an address's values), rotate (axis letters) and min/max. Comments
// run from "(" to the next ")" on the line, or to its end; modify and rotate instead pass
// over what a ")" follows before any "(", a comment opened on an earlier line included.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace quillon {

class CLiDoc;
class UtilityEdit;

struct ModifySettings {
    enum class Operation { Add, Multiply, Divide };
    enum class Decimals { Four, Three, None };

    double value = 0;  // -1000000 to 1000000
    Operation operation = Operation::Add;
    std::string address;  // at most 20 characters
    std::string exclude;  // lines holding this are left alone; at most 20 characters
    Decimals decimals = Decimals::Four;
};

struct RotateSettings {
    // Rows of From and To; 0 is an empty field.
    std::array<char, 3> from = {'X', 'Y', 'Z'};
    std::array<char, 3> to = {'Y', 'Z', 'X'};
};

inline constexpr char kCompressBeforeSaveText[] =
    "This file has been expanded.\nDo you want to compress before saving?";

// One line each, as the commands change it.
std::string compressLine(std::string_view line);
std::string expandLine(std::string_view line);
std::string modifyLine(std::string_view line, const ModifySettings& settings);
std::string rotateLine(std::string_view line, const RotateSettings& settings);
// The text Modify writes for a value.
std::string modifiedValueText(double value, ModifySettings::Decimals decimals);

// The commands over lines first..last through `edit`. Compress clears the document's
// expanded flag and Expand sets it, when they changed a line.
void compressLines(CLiDoc& doc, UtilityEdit& edit, std::size_t first, std::size_t last);
void expandLines(CLiDoc& doc, UtilityEdit& edit, std::size_t first, std::size_t last);
void modifyLines(const CLiDoc& doc, UtilityEdit& edit, std::size_t first, std::size_t last,
                 const ModifySettings& settings);
void rotateLines(const CLiDoc& doc, UtilityEdit& edit, std::size_t first, std::size_t last,
                 const RotateSettings& settings);
// The text of the Min/Max information box for lines first..last; empty for a document
// without text (an empty file loads as one empty line).
std::string minMaxText(const CLiDoc& doc, std::size_t first, std::size_t last);

}  // namespace quillon

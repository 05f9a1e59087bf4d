// The codes behind the built-in format ids, as an en-US spreadsheet shows them.
#include "sheets/numfmt/NumberFormat.h"

namespace sheets {

std::string_view BuiltinFormatCode(uint32_t id) {
    switch (id) {
    case 0: return "General";
    case 1: return "0";
    case 2: return "0.00";
    case 3: return "#,##0";
    case 4: return "#,##0.00";
    case 5: return "\"$\"#,##0_);\\(\"$\"#,##0\\)";
    case 6: return "\"$\"#,##0_);[Red]\\(\"$\"#,##0\\)";
    case 7: return "\"$\"#,##0.00_);\\(\"$\"#,##0.00\\)";
    case 8: return "\"$\"#,##0.00_);[Red]\\(\"$\"#,##0.00\\)";
    case 9: return "0%";
    case 10: return "0.00%";
    case 11: return "0.00E+00";
    case 12: return "# ?/?";
    case 13:
        return "# ?"
               "?/??";
    case 14: return "m/d/yyyy";
    case 15: return "d-mmm-yy";
    case 16: return "d-mmm";
    case 17: return "mmm-yy";
    case 18: return "h:mm AM/PM";
    case 19: return "h:mm:ss AM/PM";
    case 20: return "h:mm";
    case 21: return "h:mm:ss";
    case 22: return "m/d/yyyy h:mm";
    // Ids 27-36 and 50-58 are East Asian dates and times whose code
    // depends on the locale; these are their nearest en-US forms.
    case 27:
    case 28:
    case 29:
    case 31:
    case 36:
    case 50:
    case 51:
    case 54:
    case 57:
    case 58: return "m/d/yyyy";
    case 30: return "m/d/yy";
    case 32: return "h:mm";
    case 33: return "h:mm:ss";
    case 34:
    case 52:
    case 55: return "mmm-yy";
    case 35:
    case 53:
    case 56: return "d-mmm";
    case 37: return "#,##0_);(#,##0)";
    case 38: return "#,##0_);[Red](#,##0)";
    case 39: return "#,##0.00_);(#,##0.00)";
    case 40: return "#,##0.00_);[Red](#,##0.00)";
    case 41: return "_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)";
    case 42: return "_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)";
    case 43: return "_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"??_);_(@_)";
    case 44: return "_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"??_);_(@_)";
    case 45: return "mm:ss";
    case 46: return "[h]:mm:ss";
    case 47: return "mm:ss.0";
    case 48: return "##0.0E+0";
    case 49: return "@";
    // Thai-digit variants of the plain number formats.
    case 59: return "0";
    case 60: return "0.00";
    case 61: return "#,##0";
    case 62: return "#,##0.00";
    case 67: return "0%";
    case 68: return "0.00%";
    case 69: return "# ?/?";
    case 70:
        return "# ?"
               "?/??";
    default: return "General";
    }
}

}  // namespace sheets

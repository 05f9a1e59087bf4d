#pragma once
// A binary sheet's drawing objects on the model: its pictures, and its shapes,
// text boxes and form controls with their texts.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/model/Workbook.h"
#include "sheets/xls/Book.h"
#include "sheets/xls/ListObject.h"

namespace sheets::xls {

// What an OBJ record says about its object.
struct SheetObject {
    uint16_t kind = 0;  // 0 group, 1 line, 2 rectangle, 5 chart, 7 button, 8 picture, 0x0B check box, 0x19 note ...
    bool checked = false;  // check boxes and option buttons
    bool automatic = false;  // made by the spreadsheet itself (filter and validation arrows)
    ListData list;  // list boxes and drop-downs
};

// A TXO record's text and how it is aligned.
struct BoxText {
    std::string text;
    uint8_t hAlign = 1, vAlign = 1;  // 1 left/top, 2 centre, 3 right/bottom, 4 justify
    uint16_t font = 0;  // the first run's font record index; 0 none
};

// Reads an OBJ record's kind and check state.
SheetObject ReadObject(std::string_view obj);

// Adds the pictures and shapes of the sheet's drawing to `sheet`: the
// drawing's shapes meet the OBJ and TXO records in the order both come.
void AddSheetDrawing(Book& book, std::string_view drawing, const std::vector<SheetObject>& objects,
                     const std::vector<BoxText>& texts, Sheet& sheet);

}  // namespace sheets::xls

#pragma once
// The record types this reader looks at, named as the format reference names
// them (without the "Brt" prefix). Every other record is passed over.
#include <cstdint>

namespace sheets::xlsb::rt {

// Blocks of records for features newer than the reader (which number their
// own records).
constexpr uint32_t FRTBegin = 35;
constexpr uint32_t FRTEnd = 36;

// Worksheet cells and rows.
constexpr uint32_t RowHdr = 0;
constexpr uint32_t CellBlank = 1;
constexpr uint32_t CellRk = 2;
constexpr uint32_t CellError = 3;
constexpr uint32_t CellBool = 4;
constexpr uint32_t CellReal = 5;
constexpr uint32_t CellSt = 6;
constexpr uint32_t CellIsst = 7;
constexpr uint32_t FmlaString = 8;
constexpr uint32_t FmlaNum = 9;
constexpr uint32_t FmlaBool = 10;
constexpr uint32_t FmlaError = 11;
constexpr uint32_t CellRString = 62;
// The same without the column: the one after the previous cell's.
constexpr uint32_t ShortBlank = 12;
constexpr uint32_t ShortRk = 13;
constexpr uint32_t ShortError = 14;
constexpr uint32_t ShortBool = 15;
constexpr uint32_t ShortReal = 16;
constexpr uint32_t ShortSt = 17;
constexpr uint32_t ShortIsst = 18;
// Before a cell record: the cell's value is kept in the metadata part.
constexpr uint32_t ValueMeta = 50;

// Shared strings.
constexpr uint32_t SSTItem = 19;
constexpr uint32_t BeginSst = 159;

// Styles.
constexpr uint32_t Font = 43;
constexpr uint32_t Fmt = 44;
constexpr uint32_t Fill = 45;
constexpr uint32_t Border = 46;
constexpr uint32_t XF = 47;
constexpr uint32_t IndexedColor = 475;
constexpr uint32_t BeginCellStyleXFs = 626;
constexpr uint32_t EndCellStyleXFs = 627;
constexpr uint32_t BeginCellXFs = 617;
constexpr uint32_t EndCellXFs = 618;
constexpr uint32_t BeginIndexedColors = 565;
constexpr uint32_t EndIndexedColors = 566;
constexpr uint32_t DXF = 507;
constexpr uint32_t BeginTableStyles = 508;
constexpr uint32_t BeginTableStyle = 510;
constexpr uint32_t EndTableStyle = 511;
constexpr uint32_t TableStyleElement = 512;

// Workbook.
constexpr uint32_t WbProp = 153;
constexpr uint32_t BundleSh = 156;
constexpr uint32_t BookView = 158;
// The supporting links (this workbook, another, an add-in) and the table of
// sheets that formulas name through them.
constexpr uint32_t SupBookSrc = 355;
constexpr uint32_t SupSelf = 357;
constexpr uint32_t SupSame = 358;
constexpr uint32_t ExternSheet = 362;
constexpr uint32_t SupAddin = 667;

// Worksheet layout, views and links.
constexpr uint32_t ColInfo = 60;
constexpr uint32_t BeginSheetData = 145;
constexpr uint32_t EndSheetData = 146;
constexpr uint32_t WsProp = 147;
constexpr uint32_t WsDim = 148;
constexpr uint32_t BeginWsView = 137;
constexpr uint32_t Pane = 151;
constexpr uint32_t MergeCell = 176;
constexpr uint32_t WsFmtInfo = 485;
constexpr uint32_t HLink = 494;
constexpr uint32_t Drawing = 550;
constexpr uint32_t BkHim = 562;  // the background picture

// Tables.
constexpr uint32_t BeginList = 343;
constexpr uint32_t EndList = 344;
constexpr uint32_t TableStyleClient = 513;

// Comments.
constexpr uint32_t CommentAuthor = 632;
constexpr uint32_t BeginComment = 635;
constexpr uint32_t EndComment = 636;
constexpr uint32_t CommentText = 637;

// The metadata part: value metadata entries and the stores they point into.
constexpr uint32_t Mdb = 51;
constexpr uint32_t BeginFmd = 52;
constexpr uint32_t Mdtinfo = 335;
constexpr uint32_t BeginEsmdb = 337;
constexpr uint32_t EndEsmdb = 338;
constexpr uint32_t BeginEsfmd = 339;
constexpr uint32_t EndEsfmd = 340;
constexpr uint32_t BeginRichValueBlock = 5002;  // inside a future-record block

}  // namespace sheets::xlsb::rt

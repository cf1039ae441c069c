/* The contract between Vantoria and its spreadsheet bridge, shared by both sides.
   All text is NUL-terminated UTF-8. Nothing is thrown across this boundary. */
#ifndef CELVEX_H
#define CELVEX_H

#include <stdint.h>

#if defined(_WIN32)
#if defined(CELVEX_BUILDING)
#define CELVEX_API __declspec(dllexport)
#else
#define CELVEX_API __declspec(dllimport)
#endif
#define CELVEX_CALL __cdecl
#else
#define CELVEX_API __attribute__((visibility("default")))
#define CELVEX_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Error codes shared by the three working functions. */
#define CELVEX_OK 0
#define CELVEX_INVALID_ARGUMENT (-1)
#define CELVEX_NOT_INSTALLED (-2)
#define CELVEX_FAILED (-3)

/* One row of four text slots; any slot may be null (same as empty text).
   Import: number, name, department, mobile. Export: prize, content, winner, time. */
typedef struct FieldRow {
    char* fields[4];
} FieldRow;

/* Filled by Import and ImportTxt; the record belongs to the caller, who zeroes it before the
   call and hands it to FreeImportResult exactly once afterwards. */
typedef struct ImportResult {
    uint8_t success;
    FieldRow** rows;
    int32_t count;
    int32_t error;
} ImportResult;

/* Passed to Export; everything in it belongs to the caller. The library writes only success
   and error. A null entry in rows is skipped. */
typedef struct ExportRequest {
    uint8_t success;
    FieldRow** rows;
    int32_t count;
    int32_t error;
    const char* title;
    const char* fontName;
    int32_t fontSize;
} ExportRequest;

/* A second sheet of an export: one row a winner, one column a field, filterable. Everything
   in it belongs to the caller. */
typedef struct DetailSheet {
    const char* name; /* the sheet's name */
    int32_t columnCount;
    const char* const* titles; /* columnCount titles */
    int32_t timeColumn;        /* column whose "yyyy-MM-dd hh:mm:ss" is written as a date-time
                                  cell; -1 for none */
    int32_t rowCount;
    const char* const* cells; /* rowCount * columnCount texts, row by row; null is empty */
} DetailSheet;

/* How a text file was decoded (TableResult.encoding); 0 for a workbook. */
#define CELVEX_ENCODING_NONE 0
#define CELVEX_ENCODING_UTF8 1
#define CELVEX_ENCODING_UTF16LE 2
#define CELVEX_ENCODING_UTF16BE 3
#define CELVEX_ENCODING_GB18030 4

/* One non-empty cell of a TableRow. Columns count from 0: the first field of a text line,
   the first used column of a worksheet. */
typedef struct TableCell {
    int32_t column;
    char* text; /* never null, never empty */
} TableCell;

/* One row of the file as it stands, before any column map is applied. */
typedef struct TableRow {
    int32_t line;     /* 1-based line of a text file where the row starts, or worksheet row */
    int32_t count;    /* number of cells; 0 for an empty row */
    TableCell* cells; /* in ascending column order; null when count is 0 */
} TableRow;

/* Filled by ImportTable and ImportTxtTable: every row of the file (the first worksheet's used
   range, or every record of a text file), with the header and the column map the file's
   import would use. The caller zeroes it before the call and hands it to FreeTableResult
   exactly once afterwards. Import and ImportTxt give the rows after headerRow (all rows when
   there is none) mapped through columns. */
typedef struct TableResult {
    uint8_t success;
    int32_t error;
    TableRow* rows;
    int32_t count;
    int32_t headerRow;  /* index into rows of the header row, -1 when the file has none */
    int32_t columns[4]; /* column feeding each slot (number, name, department, mobile), -1 none */
    int32_t replaced;   /* bytes of a text file that could not be decoded and became U+FFFD */
    int32_t encoding;   /* CELVEX_ENCODING_* */
    /* The newer columns, found by the header only (-1 none): the group label; a column saying
       who does not take part (是 excludes); one saying who does (否 excludes). */
    int32_t groupColumn;
    int32_t excludedColumn;
    int32_t takesPartColumn;
} TableResult;

CELVEX_API void CELVEX_CALL Import(const char* path, const char* const* titles,
                                   ImportResult* result);
CELVEX_API void CELVEX_CALL ImportTxt(const char* path, const char* const* titles,
                                      ImportResult* result);
CELVEX_API void CELVEX_CALL Export(const char* path, const char* const* titles,
                                   ExportRequest* request);
CELVEX_API void CELVEX_CALL FreeImportResult(ImportResult* result);
/* Export with a second sheet after the designed one; detail may be null. */
CELVEX_API void CELVEX_CALL ExportDetailed(const char* path, const char* const* titles,
                                           ExportRequest* request, const DetailSheet* detail);
CELVEX_API void CELVEX_CALL ImportTable(const char* path, const char* const* titles,
                                        TableResult* result);
CELVEX_API void CELVEX_CALL ImportTxtTable(const char* path, const char* const* titles,
                                           TableResult* result);
CELVEX_API void CELVEX_CALL FreeTableResult(TableResult* result);

typedef void(CELVEX_CALL* ImportFunction)(const char*, const char* const*, ImportResult*);
typedef void(CELVEX_CALL* ExportFunction)(const char*, const char* const*, ExportRequest*);
typedef void(CELVEX_CALL* FreeImportResultFunction)(ImportResult*);
typedef void(CELVEX_CALL* ExportDetailedFunction)(const char*, const char* const*, ExportRequest*,
                                                  const DetailSheet*);
typedef void(CELVEX_CALL* ImportTableFunction)(const char*, const char* const*, TableResult*);
typedef void(CELVEX_CALL* FreeTableResultFunction)(TableResult*);

#ifdef __cplusplus
}
#endif

#endif

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

CELVEX_API void CELVEX_CALL Import(const char* path, const char* const* titles,
                                   ImportResult* result);
CELVEX_API void CELVEX_CALL ImportTxt(const char* path, const char* const* titles,
                                      ImportResult* result);
CELVEX_API void CELVEX_CALL Export(const char* path, const char* const* titles,
                                   ExportRequest* request);
CELVEX_API void CELVEX_CALL FreeImportResult(ImportResult* result);

typedef void(CELVEX_CALL* ImportFunction)(const char*, const char* const*, ImportResult*);
typedef void(CELVEX_CALL* ExportFunction)(const char*, const char* const*, ExportRequest*);
typedef void(CELVEX_CALL* FreeImportResultFunction)(ImportResult*);

#ifdef __cplusplus
}
#endif

#endif

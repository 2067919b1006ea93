#pragma once
// The engine's errors. Every failure of the engine goes through one replaceable routine,
// EngineErrorProc, with a numeric code (an operating-system error number below 1000, an
// engine code from 1001) and a sub-code naming the operation that failed.
#include <cstdint>
#include <string>
#include <string_view>

#include "classlib/core/exceptions.h"

HX_DECLARE_EXCEPTION(EXBaseError, Exception);
HX_DECLARE_EXCEPTION(EXBaseEncryption, Exception);
HX_DECLARE_EXCEPTION(EXBaseExpression, Exception);

// Codes of the engine's error table (those below 1000 are the system's numbers).
enum : std::int32_t {
  xbeFileNotFound = 2,
  xbePathNotFound = 3,
  xbeAccessDenied = 5,
  xbeInvalidAccess = 12,
  xbeSharingViolation = 32,
  xbeLocked = 33,
  xbeReadError = 100,
  xbeWriteError = 101,
  xbeNotAssigned = 102,
  xbeFileExists = 183,
  xbeShortRead = 221,  // set after a read that returned less than asked; never raised
  xbeDbfHeader = 1001,
  xbeBeyondEof = 1002,
  xbeFieldName = 1003,
  xbeFieldType = 1004,
  xbeMemoFormat = 1005,
  xbeFormula = 1006,
  xbeNumberTooLarge = 1011,
  xbeIndexDamaged = 2112,  // an index file whose header or nodes do not hold together
};

// Sub-codes: the operation that failed.
enum : std::int32_t {
  xbsNone = -7,
  xbsRead = 1101,
  xbsWrite = 1102,
  xbsFileSize = 1105,
  xbsRename = 1106,
  xbsOpen = 1107,
  xbsCreate = 1108,
  xbsTruncate = 1109,
  xbsFlush = 1111,
  xbsMemoLock = 1112,
  xbsHeaderRead = 1204,
  xbsRecordRead = 1207,
  xbsPutDate = 1251,
  xbsPutNumber = 1261,
  xbsPutLogical = 1262,
  xbsFieldName = 1298,
  xbsFieldType = 1299,
  xbsMemoOpen = 6101,
  xbsMemoFormat = 6199,
};

// The routine every engine error goes through. It raises (EXBaseError by default); one that
// returns is followed by the default routine, so an engine error never goes unreported.
using TxbErrorProc = void (*)(std::int32_t Code, std::int32_t SubCode, const char* Info);
TxbErrorProc& EngineErrorProc();
[[noreturn]] void DefaultErrorProc(std::int32_t Code, std::int32_t SubCode, const char* Info);
[[noreturn]] void RaiseEngineError(std::int32_t Code, std::int32_t SubCode, const char* Info);
[[noreturn]] void RaiseEngineError(std::int32_t Code, std::int32_t SubCode, const std::string& Info);
// The message DefaultErrorProc raises.
std::string EngineErrorMessage(std::int32_t Code, std::int32_t SubCode, const char* Info);

// A text whose first character is one of TrueLetters reads as true; written: "T" or "F".
inline constexpr std::string_view TrueLetters = "TtYyJj";
inline constexpr std::string_view FalseLetters = "FfNn";
bool IsTrueLetter(char c);
bool IsFalseLetter(char c);

// The engine's own messages (Format texts).
inline constexpr char SCannotAddSortKeys[] = "Cannot add sort keys after beginning retrieval";
inline constexpr char SCannotFindTag[] = "Cannot find index tag %s";
inline constexpr char SLockError[] = "Error %s in Lock of %s";
inline constexpr char SNotEditing[] = "Dataset not in edit or insert mode";
inline constexpr char SMasterNoIndex[] = "Master/Detail relation failed, no index open for %s";
inline constexpr char SMasterFieldMismatch[] = "Master/Detail relation failed, field missmatch for %s";
inline constexpr char SNoFunction[] = "There is no function for %s";
inline constexpr char SArgumentNeeded[] = "%s needed for Argument %d of %s";
inline constexpr char STargetMissing[] = "Target value missing for %s operation";
inline constexpr char SSidesMismatch[] = "The two sides of an operation do not match";
inline constexpr char SValueRequired[] = "A %s value is required but invalid";
inline constexpr char SUnknownField[] = "Field/variable %s is unknown";
inline constexpr char SCannotEvaluate[] = "Expression cannot be evaluated";
inline constexpr char SMissingClose[] = "Missing closing parentheses";
inline constexpr char SUnexpectedClose[] = "Unexpected closing parentheses found";
inline constexpr char SVariantNoAppend[] = "Variant type is not valid for append";
inline constexpr char SVariantMismatch[] = "Variant types mismatch for compare";
inline constexpr char SVariantNoSort[] = "Variant type cannot be sorted";
inline constexpr char SSortKeyTooLong[] = "Sort key length greater than 240 bytes";
inline constexpr char STableNameMissing[] = "Table name missing";
inline constexpr char SCannotFindFile[] = "Cannot find file %s";
inline constexpr char SErrorGetting[] = "Error getting %s";
inline constexpr char SIndexAlreadyOpen[] = "Index file %s already open";
inline constexpr char SBeyondRange[] = "Record request beyond range of table";
inline constexpr char SCannotDelete[] = "Cannot delete the record";
inline constexpr char SCannotRecall[] = "Cannot recall the record";
inline constexpr char SBadBookmark[] = "Bookmark is invalid for table ";
inline constexpr char SRecordLocked[] = "Record is locked by another user";
inline constexpr char SFilterNotBoolean[] = "Filter expression must return boolean result";
// Table passwords.
inline constexpr char SNoPassword[] = "No Password for encrypted file %s";
inline constexpr char SPasswordForPlain[] = "A Password is included for unencrypted file %s";
inline constexpr char SInvalidPassword[] = "Invalid password for file %s";

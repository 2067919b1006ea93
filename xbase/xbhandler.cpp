#include "xbase/xbhandler.h"

#include "xbase/errors.h"
#include "xbase/expression.h"

namespace {
[[noreturn]] void NotYet() { throw EXBaseError("not implemented yet"); }
}  // namespace

XBO_dBHandler::XBO_dBHandler(std::string_view FileName, bool ReadWrite, bool Shared, std::string_view Password)
    : XBO_dBaseFld(FileName, ReadWrite, Shared, Password) {}
XBO_dBHandler::~XBO_dBHandler() = default;

std::size_t XBO_dBHandler::Read(std::int64_t Offset, void* Buffer, std::size_t Count) {
  return XBO_dBaseFld::Read(Offset, Buffer, Count);
}
void XBO_dBHandler::Write(std::int64_t Offset, const void* Buffer, std::size_t Count) {
  XBO_dBaseFld::Write(Offset, Buffer, Count);
}
bool XBO_dBHandler::Rename(std::string_view NewName) { return XBO_dBaseFld::Rename(NewName); }
void XBO_dBHandler::Append() { XBO_dBaseFld::Append(); }
void XBO_dBHandler::PutRec(std::int32_t recno) { XBO_dBaseFld::PutRec(recno); }
void XBO_dBHandler::StatusUpdate(int code, std::int32_t value) { XBO_dBaseFld::StatusUpdate(code, value); }
void XBO_dBHandler::Go(std::int32_t recno) { XBO_dBaseFld::Go(recno); }
void XBO_dBHandler::SetLockProtocol(TxbLokProtocol protocol) { XBO_dBaseFld::SetLockProtocol(protocol); }
bool XBO_dBHandler::LockAppend() { return XBO_dBaseFld::LockAppend(); }
bool XBO_dBHandler::LockTable() { return XBO_dBaseFld::LockTable(); }
bool XBO_dBHandler::LockTableFromStart() { return XBO_dBaseFld::LockTableFromStart(); }
bool XBO_dBHandler::LockRecord() { return XBO_dBaseFld::LockRecord(); }
bool XBO_dBHandler::SeekKey(std::string_view) { NotYet(); }
std::int32_t XBO_dBHandler::FindKeyInTag(std::string_view, std::string_view) { NotYet(); }
void XBO_dBHandler::Skip(std::int32_t) { NotYet(); }
bool XBO_dBHandler::LockIndexes() { return true; }
void XBO_dBHandler::ChangePassword(std::string_view) { NotYet(); }
void XBO_dBHandler::UnlockIndexes() {}
int XBO_dBHandler::IndexOpen(std::string_view) { NotYet(); }
int XBO_dBHandler::OpenIndexList(std::string_view, std::string_view) { NotYet(); }
void XBO_dBHandler::CloseIndexFiles() {}
int XBO_dBHandler::SetMasterTag(std::string_view, bool) { NotYet(); }
XBobjIndexTag* XBO_dBHandler::TagByNumber(int) const { return nullptr; }
int XBO_dBHandler::TagCount() const { return 0; }
XBobjIndexFile* XBO_dBHandler::IndexFile(int) const { return nullptr; }
void XBO_dBHandler::SetRange(std::string_view, std::string_view, bool, bool, bool) { NotYet(); }
void XBO_dBHandler::ClearRange() {}
void XBO_dBHandler::ReindexAll() { NotYet(); }
void XBO_dBHandler::SetFilterExpression(std::string_view, bool, bool) { NotYet(); }
void XBO_dBHandler::SetFilterWanted(bool) {}
void XBO_dBHandler::RefreshFilter() {}
bool XBO_dBHandler::FilterPasses(std::int32_t) const { return true; }
std::int32_t XBO_dBHandler::TextSearch(int, std::string_view, std::int32_t) { NotYet(); }
void XBO_dBHandler::Pack() { NotYet(); }
void XBO_dBHandler::SetReadAheadAllowed(bool) {}
void XBO_dBHandler::SwitchReadAhead(bool) {}
std::int32_t XBO_dBHandler::LiveRecordCount() {
  RefreshHeader();
  return RecordCount();
}

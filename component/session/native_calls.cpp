#include "session/native_calls.h"

#include <cstdint>

#include "session/client_members.h"

namespace talmo {
namespace {

using automation::Variant;

int32_t Long(std::span<Variant> args, size_t i) { return args[i].Deref().ToLong(); }

// The answer of a member that reports success as -1 (True) and a refusal as 0.
Variant Flag(bool done) { return Variant(done ? int32_t{-1} : int32_t{0}); }

}  // namespace

bool CallNative(dbclient::NativeClient& native, automation::DispId member,
                std::span<Variant> args, Variant& result) {
  switch (member) {
    case client_member::kCloseTable:
      native.CloseTable(Long(args, 0));
      return true;
    case client_member::kAllocRecord:
      result = Variant(native.AllocRecord(Long(args, 0)));
      return true;
    case client_member::kFreeRecord:
      native.FreeRecord(Long(args, 0));
      return true;
    case client_member::kCopyRecord:
      native.CopyRecord(Long(args, 0), Long(args, 1), Long(args, 2));
      return true;
    case client_member::kFind:
      result = Flag(native.Find(Long(args, 0), Long(args, 1), args[2].Deref().ToString()));
      return true;
    case client_member::kNext:
      result = Variant(native.Next(Long(args, 0), Long(args, 1), args[2].Deref().ToInteger()));
      return true;
    case client_member::kInsert:
      result = Flag(native.Insert(Long(args, 0), Long(args, 1)));
      return true;
    case client_member::kDelete:
      result = Flag(native.Delete(Long(args, 0), Long(args, 1)));
      return true;
    case client_member::kModify:
      result = Flag(native.Modify(Long(args, 0), Long(args, 1)));
      return true;
    case client_member::kInitRecord:
      native.InitRecord(Long(args, 0), Long(args, 1));
      return true;
    case client_member::kOpenTable: {
      // Table number in, handle out through the first argument, as the member does.
      const int32_t handle = native.OpenTable(Long(args, 1));
      if (native.LastError() == 0) args[0].Assign(Variant(handle));
      result = Variant(handle);
      return true;
    }
    case client_member::kGetKey:
      result = native.CurrentKey(Long(args, 0));
      return true;
    case client_member::kGetField:
      result = native.GetField(Long(args, 0), Long(args, 1), Long(args, 2));
      return true;
    case client_member::kSetField:
      native.SetField(Long(args, 0), Long(args, 1), Long(args, 2), args[3].Deref());
      return true;
    case client_member::kCalcField:
      native.CalcField(Long(args, 0), Long(args, 1), Long(args, 2));
      return true;
    case client_member::kBeforeKeyLookup:
      native.BeforeKeyLookup();
      return true;
    case client_member::kBeforeInsert:
      native.BeforeInsert();
      return true;
    default:
      return false;
  }
}

}  // namespace talmo

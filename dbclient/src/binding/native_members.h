// The client's native interface (dbclient/native_client.h) over one session.
#pragma once

#include "binding/session.h"
#include "dbclient/native_client.h"

namespace dbclient::binding {

class NativeMembers final : public NativeClient {
 public:
  explicit NativeMembers(Session& session) noexcept : session_(session) {}

  void SetErrorDisplay(bool on) noexcept override;
  int32_t LastError() const noexcept override { return session_.lastError; }

  int32_t OpenTable(int32_t tableNo) noexcept override;
  void CloseTable(int32_t table) noexcept override;
  int32_t AllocRecord(int32_t table) noexcept override;
  void FreeRecord(int32_t record) noexcept override;
  void InitRecord(int32_t table, int32_t record) noexcept override;
  void CopyRecord(int32_t table, int32_t target, int32_t source) noexcept override;
  automation::Variant CurrentKey(int32_t table) noexcept override;
  void BeforeKeyLookup() noexcept override;
  void BeforeInsert() noexcept override;
  bool Find(int32_t table, int32_t record, std::u16string_view method) noexcept override;
  int16_t Next(int32_t table, int32_t record, int16_t steps) noexcept override;
  bool Insert(int32_t table, int32_t record) noexcept override;
  bool Modify(int32_t table, int32_t record) noexcept override;
  bool Delete(int32_t table, int32_t record) noexcept override;
  bool LookUpByKey(int32_t tableNo, std::span<const automation::Variant> keyValues,
                   int32_t record, std::vector<int32_t>* keyFields) noexcept override;
  void InitKeepingKey(int32_t tableNo, int32_t table, int32_t record) noexcept override;

  int16_t FieldType(int32_t table, int32_t field) noexcept override;
  int16_t FieldClass(int32_t table, int32_t field) noexcept override;
  automation::Variant GetField(int32_t table, int32_t record, int32_t field) noexcept override;
  void SetField(int32_t table, int32_t record, int32_t field,
                const automation::Variant& value) noexcept override;
  void CalcField(int32_t table, int32_t record, int32_t field) noexcept override;
  double GetDecimalField(int32_t table, int32_t record, int32_t field) noexcept override;
  void SetDecimalField(int32_t table, int32_t record, int32_t field,
                       double value) noexcept override;

 private:
  // Runs `work` as member `member`: the call's start as every member has it, and a failure
  // stored as the last error with `failed` as the answer.
  template <class Result, class Work>
  Result Run(int32_t member, Result failed, Work&& work) noexcept;
  // Run for a member without an answer.
  template <class Work>
  void RunVoid(int32_t member, Work&& work) noexcept;

  Session& session_;
};

}  // namespace dbclient::binding

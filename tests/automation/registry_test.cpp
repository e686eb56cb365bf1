// The component registry: registration, CreateObject by ProgID and class id, library
// loading and unloading, and the errors of each missing piece.
#include <string>

#include "automation/dispatch.h"
#include "registry_fixture.h"
#include "test_support.h"

namespace automation_test {
namespace {

using automation::CreateObject;
using automation::Ref;

const std::string kComponent = std::filesystem::canonical(TALMO_TEST_COMPONENT).string();

// The description of the error `f` raises, or "" when it raises none.
std::string DescriptionOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const AutomationError& e) {
    return Utf8(e.description());
  }
  return "";
}

TEST_F(RegistryTest, RegisteringWritesClassIdsProgIdsAndTheLibraryPath) {
  automation::RegisterLibrary(TALMO_TEST_COMPONENT);
  EXPECT_EQ(Read("ProgID Talmo.TestCounter", "CLSID"), kCounterClsid);
  EXPECT_EQ(Read(std::string("CLSID ") + kCounterClsid, "ProgID"), "Talmo.TestCounter");
  EXPECT_EQ(Read(std::string("CLSID ") + kCounterClsid, "Library"), kComponent);
  EXPECT_EQ(Read("ProgID Talmo.TestFailing", "CLSID"), kFailingClsid);
}

TEST_F(RegistryTest, CreateObjectByProgIdAndByClassIdInEitherCase) {
  automation::RegisterLibrary(TALMO_TEST_COMPONENT);
  Ref<automation::Dispatch> first = CreateObject(u"Talmo.TestCounter");
  Ref<automation::Dispatch> second = CreateObject(u"{5c0a1f3e-7b2d-4e61-9a8c-2f4d6b1e0a11}");
  ASSERT_TRUE(first);
  ASSERT_TRUE(second);
  EXPECT_EQ(first->ClassName(), u"TestCounter");
  const automation::DispId increment = automation::GetDispId(first.get(), u"increment");
  automation::CallMethod(first.get(), increment);
  automation::CallMethod(first.get(), increment, Variant(int32_t{5}));
  automation::CallMethod(second.get(), increment);
  EXPECT_EQ(automation::GetProperty(first.get(), 0).ToLong(), 6);
  EXPECT_EQ(automation::GetProperty(second.get(), 0).ToLong(), 1);
  // The default member makes the object usable as its value.
  EXPECT_EQ(Variant(first).ToString(), u"6");
  EXPECT_EQ(automation::TypeName(Variant(second)), u"TestCounter");
}

TEST_F(RegistryTest, LibraryIsUnloadedOnlyWhenItSaysItCanBe) {
  automation::RegisterLibrary(TALMO_TEST_COMPONENT);
  EXPECT_FALSE(IsLoaded(kComponent));
  Ref<automation::Dispatch> object = CreateObject(u"Talmo.TestCounter");
  ASSERT_TRUE(IsLoaded(kComponent));

  void* probe = dlopen(kComponent.c_str(), RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(probe, nullptr);
  auto canUnloadNow = reinterpret_cast<DllCanUnloadNowFn>(dlsym(probe, "DllCanUnloadNow"));
  ASSERT_NE(canUnloadNow, nullptr);
  EXPECT_EQ(canUnloadNow(), 0);
  dlclose(probe);

  automation::FreeUnusedLibraries();
  EXPECT_TRUE(IsLoaded(kComponent));  // a live object keeps its library
  automation::CallMethod(object.get(), 1);
  object.reset();
  automation::FreeUnusedLibraries();
  EXPECT_FALSE(IsLoaded(kComponent));

  // Creating again loads it again.
  object = CreateObject(u"Talmo.TestCounter");
  EXPECT_EQ(automation::CallMethod(object.get(), 1).ToLong(), 1);
}

TEST_F(RegistryTest, UnregisteredClassesCannotBeCreated) {
  automation::RegisterLibrary(TALMO_TEST_COMPONENT);
  automation::UnregisterLibrary(TALMO_TEST_COMPONENT);
  EXPECT_EQ(ErrorOf([] { CreateObject(u"Talmo.TestCounter"); }), 429);
  EXPECT_EQ(ErrorOf([] { CreateObject(u"{5C0A1F3E-7B2D-4E61-9A8C-2F4D6B1E0A11}"); }), 429);
  EXPECT_NE(DescriptionOf([] { CreateObject(u"Talmo.TestCounter"); }).find("not registered"),
            std::string::npos);
  // Registering again makes them available again.
  automation::RegisterLibrary(TALMO_TEST_COMPONENT);
  EXPECT_TRUE(CreateObject(u"Talmo.TestCounter"));
}

TEST_F(RegistryTest, UnregisteringLeavesAProgIdThatNamesAnotherClass) {
  automation::RegisterLibrary(TALMO_TEST_COMPONENT);
  Write("ProgID Talmo.TestFailing", "CLSID", "{OTHER}");
  automation::UnregisterLibrary(TALMO_TEST_COMPONENT);
  EXPECT_EQ(Read("ProgID Talmo.TestFailing", "CLSID"), "{OTHER}");
  EXPECT_EQ(Read("ProgID Talmo.TestCounter", "CLSID"), "");
}

TEST_F(RegistryTest, EachMissingPieceRaises429SayingWhatIsMissing) {
  EXPECT_EQ(ErrorOf([] { CreateObject(u"No.SuchClass"); }), 429);
  EXPECT_NE(DescriptionOf([] { CreateObject(u"No.SuchClass"); }).find("No.SuchClass"),
            std::string::npos);
  EXPECT_EQ(ErrorOf([] { CreateObject(u""); }), 429);

  Write("ProgID Gone.Class", "CLSID", "{GONE}");
  Write("CLSID {GONE}", "Library", (folder_ / "libgone.so").string());
  EXPECT_EQ(ErrorOf([] { CreateObject(u"Gone.Class"); }), 429);
  EXPECT_NE(DescriptionOf([] { CreateObject(u"Gone.Class"); }).find("cannot be loaded"),
            std::string::npos);

  Write("CLSID {NOEXPORT}", "Library", TALMO_AUTOMATION_LIBRARY);
  EXPECT_NE(DescriptionOf([] { CreateObject(u"{NOEXPORT}"); }).find("DllGetClassObject"),
            std::string::npos);

  Write("CLSID {UNKNOWN}", "Library", kComponent);
  EXPECT_EQ(ErrorOf([] { CreateObject(u"{UNKNOWN}"); }), 429);
  EXPECT_NE(DescriptionOf([] { CreateObject(u"{UNKNOWN}"); }).find("has no class"),
            std::string::npos);
}

TEST_F(RegistryTest, AClassNotRegisteredNamesTheRegistryAndTheCommand) {
  const std::string cannotCreate = "ActiveX component can't create object: ";
  const std::string notRegistered = " is not registered in " + registry_.string();
  const std::string advice =
      "; register its library with: talmo-regsvr LIBRARY.so (TALMO_REGISTRY chooses the "
      "registry file)";
  EXPECT_EQ(DescriptionOf([] { CreateObject(u"Talmo.Database"); }),
            cannotCreate + "the class Talmo.Database" + notRegistered + advice);
  EXPECT_EQ(
      DescriptionOf([] { CreateObject(u"{A36E7C17-DA1B-4142-9DDC-E6A0EEA0A595}"); }),
      cannotCreate + "the class {A36E7C17-DA1B-4142-9DDC-E6A0EEA0A595}" + notRegistered + advice);
  // A library that was moved away after registering it.
  const std::string gone = (folder_ / "libgone.so").string();
  Write("CLSID {GONE}", "Library", gone);
  const std::string dlopenError =
      gone + ": cannot open shared object file: No such file or directory";
  EXPECT_EQ(DescriptionOf([] { CreateObject(u"{GONE}"); }),
            cannotCreate + "the library " + gone + " cannot be loaded: " + dlopenError + advice);
}

TEST_F(RegistryTest, TheFactorysOwnErrorIsPassedOn) {
  automation::RegisterLibrary(TALMO_TEST_COMPONENT);
  try {
    CreateObject(u"Talmo.TestFailing");
    FAIL() << "no error raised";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), 1001);
    EXPECT_EQ(e.source(), u"Talmo.TestFailing");
    EXPECT_EQ(e.description(), u"The test class refuses to start");
  }
}

TEST_F(RegistryTest, RegisteringAFileThatIsNotAComponentFails) {
  EXPECT_EQ(ErrorOf([&] { automation::RegisterLibrary(folder_ / "missing.so"); }), 53);
  EXPECT_EQ(ErrorOf([] { automation::RegisterLibrary(TALMO_AUTOMATION_LIBRARY); }), 429);
  EXPECT_NE(DescriptionOf([] {
              automation::RegisterLibrary(TALMO_AUTOMATION_LIBRARY);
            }).find("DllRegisterServer"),
            std::string::npos);
  const std::string notALibrary = (folder_ / "text.so").string();
  Write("x", "y", "z");
  std::filesystem::copy_file(registry_, notALibrary);
  EXPECT_EQ(ErrorOf([&] { automation::RegisterLibrary(notALibrary); }), 429);
}

TEST(RegistryFile, LocationFollowsTheEnvironment) {
  const char* saved = getenv("HOME");
  const std::string home = saved ? saved : "";
  setenv("TALMO_REGISTRY", "/x/registry.ini", 1);
  setenv("XDG_CONFIG_HOME", "/config", 1);
  EXPECT_EQ(automation::RegistryFilePath(), "/x/registry.ini");
  unsetenv("TALMO_REGISTRY");
  EXPECT_EQ(automation::RegistryFilePath(), "/config/talmo/registry.ini");
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(automation::RegistryFilePath(), "/home/someone/.config/talmo/registry.ini");
  if (saved) setenv("HOME", home.c_str(), 1);
}

}  // namespace
}  // namespace automation_test

# The component library `Talmo` (libTalmo.so) and the object library its tests link.
#
# Everything but the class-factory exports is compiled once into talmo_component_objects;
# the shared library adds the exports, the unit tests link the objects directly. Symbols are
# hidden, so a process that loads libTalmo.so beside a test program holding the same objects
# keeps two separate copies of the session state.
file(GLOB talmo_component_sources CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/session/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/errors/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/records/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/rules/*.cpp)
list(REMOVE_ITEM talmo_component_sources ${CMAKE_CURRENT_SOURCE_DIR}/session/library_exports.cpp)

add_library(talmo_component_objects OBJECT ${talmo_component_sources})
target_include_directories(talmo_component_objects PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(talmo_component_objects PRIVATE
  TALMO_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
  TALMO_VERSION_MINOR=${PROJECT_VERSION_MINOR}
  TALMO_VERSION_PATCH=${PROJECT_VERSION_PATCH})
target_link_libraries(talmo_component_objects PUBLIC talmo_util talmo_automation
  talmo_dbclient_native PRIVATE talmo_warnings)
set_target_properties(talmo_component_objects PROPERTIES
  CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)

add_library(Talmo SHARED ${CMAKE_CURRENT_SOURCE_DIR}/session/library_exports.cpp)
target_link_libraries(Talmo PRIVATE talmo_component_objects talmo_util talmo_automation
  talmo_warnings)
set_target_properties(Talmo PROPERTIES OUTPUT_NAME Talmo
  CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
# The utilities are linked in statically; keep their symbols inside the library too.
target_link_options(Talmo PRIVATE -Wl,--exclude-libs,ALL -Wl,--no-undefined)

# Talmo.ini beside the library, pointing at the sample database that tools/dbtool makes in
# the same folder (target talmo_sample_db) and at its company.
set(TALMO_SAMPLE_DATABASE ${TALMO_BIN_DIR}/sample.db)
set(TALMO_SAMPLE_COMPANY "Talmo Sample" CACHE INTERNAL "Company of the sample database")
file(WRITE ${TALMO_BIN_DIR}/Talmo.ini
  "[Database]\n"
  "LibPath=${TALMO_BIN_DIR}\n"
  "UserID=\n"
  "Password=\n"
  "Server=\n"
  "NetType=\n"
  "Database=${TALMO_SAMPLE_DATABASE}\n"
  "Cache=\n"
  "CompanyName=${TALMO_SAMPLE_COMPANY}\n"
  "CommitCache=Yes\n")

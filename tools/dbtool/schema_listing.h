// Prints a schema as Markdown: one section per table with its keys and fields.
#pragma once

#include <ostream>

#include "dbclient/schema.h"

namespace dbtool {

void PrintSchemaMarkdown(const dbclient::Schema& schema, std::ostream& out);

}  // namespace dbtool

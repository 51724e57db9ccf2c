// How a model database file is opened; one enumeration from the connection up to ddr_Ddb
// (each of them names it `Mode`), so a mode passes down unchanged.
//   Create     makes a new file, or opens an existing one for writing
//   ReadWrite  needs an existing file, opened for writing
//   ReadOnly   needs an existing file; writes are blocked
#pragma once

enum class cls_OpenMode { Create, ReadWrite, ReadOnly };

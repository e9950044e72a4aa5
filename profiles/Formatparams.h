// The encoding profiles: the constant tables and the rules that turn a phone
// model and a quality level into conversion parameters.
#pragma once

#include "ConfigureWorker.h"
#include "PhoneTables.h"
#include "ProfileSelection.h"
#include "QualityTables.h"
#include "ResolutionTables.h"
#include "TableLookups.h"
#include "WorkerSetup.h"

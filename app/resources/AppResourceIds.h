// Numbers of the resources that the main program holds itself (not the language library).
#pragma once

// The job list view's form: an empty child dialog that the view fills with its cards.
#define IDD_JOBLIST_VIEW 292

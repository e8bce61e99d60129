#pragma once
// Identifiers of the main window's controls and of the results-list menu commands.

namespace kestrap {

enum ControlId : int {
    IDC_RESULTS_FILE_LABEL = 1001,
    IDC_RESULTS_FILE = 1002,
    IDC_LOAD = 1003,
    IDC_SAVE = 1004,
    IDC_RESULTS_LIST = 1005,
    IDC_SEARCH = 1006,
    IDC_CITIES = 1007,
    IDC_TERMS = 1008,
    IDC_CITIES_LABEL = 1009,
    IDC_TERMS_LABEL = 1010,
    IDC_PROGRESS = 1011,
    IDC_STATUS1 = 1013,
    IDC_STATUS2 = 1014,
    IDC_STATUS3 = 1015,
    IDM_LIST_COUNT = 1016,
    IDM_DELETE_ALL = 1017,
    IDM_DELETE_OLD = 1018,
};

}  // namespace kestrap

#include "ListCheckService.h"
#include "ListFetchService.h"

// The one symbol the module shows: the program looks it up by name.
extern "C" Q_DECL_EXPORT ListChecker* clipvane_make_list_checker()
{
    return new ListCheckService;
}

extern "C" Q_DECL_EXPORT ListFetcher* clipvane_make_list_fetcher()
{
    return new ListFetchService;
}

#pragma once

// Why a list by address was not taken: the fetch failed, or what came back
// does not read as a list. The copy kept before stays in every case.
enum class ListProblem {
    None,
    Timeout,       // the server went quiet
    HttpStatus,    // it answered with an error status
    Network,       // no connection, no such host, TLS
    TooLarge,      // over the bound (compressed or not)
    CutOff,        // fewer bytes than announced, or a gzip stream that stops short
    Empty,         // nothing at all
    WebPage,       // an HTML page (a login, a wrong User-Agent, an error)
    Binary,        // bytes that are no text (a video, an archive)
    NoEntries,     // text, but not one channel in it
    Account,       // a provider's account that cannot play: refused, expired, over its connections
};

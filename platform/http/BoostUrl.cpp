// The URL library is header-only here: its sources are compiled once, in this file.
#include <boost/url/src.hpp>

#pragma once
// Answers of the stand-in TMDb service shared by the tests of several layers.
#include <string>

namespace filmarch::test {

// The search results for "Alien": a remake first, the 1979 film second.
inline const char alienResults[] = R"json([
    {"id":9001,"title":"Alien (remake)","original_title":"Alien Again","release_date":"2024-08-14","poster_path":null},
    {"id":348,"title":"Alien, le huitième passager","original_title":"Alien","release_date":"1979-05-25",
     "poster_path":"/alien.jpg","overview":"…","vote_average":8.1,"vote_count":14000}])json";

inline const char alienDetails[] = R"json({"id":348,"title":"Alien, le huitième passager","original_title":"Alien",
    "release_date":"1979-05-25","runtime":117,"overview":"Un cargo spatial reçoit un signal.",
    "vote_average":8.1,"vote_count":14000,"poster_path":"/alien.jpg",
    "genres":[{"id":27,"name":"Horreur"},{"id":878,"name":"Science-Fiction"}],
    "production_countries":[{"iso_3166_1":"US","name":"United States of America"},{"iso_3166_1":"GB","name":"United Kingdom"}],
    "credits":{"cast":[{"name":"Sigourney Weaver","character":"Ripley","order":0},{"name":"Tom Skerritt","character":"Dallas","order":1}],
               "crew":[{"name":"Ridley Scott","job":"Director","department":"Directing"}]}})json";

inline const char remakeDetails[] = R"json({"id":9001,"title":"Alien (remake)","original_title":"Alien Again",
    "release_date":"2024-08-14","runtime":null,"poster_path":null,"genres":[],"credits":{"cast":[],"crew":[]}})json";

} // namespace filmarch::test

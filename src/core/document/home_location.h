// Home location as the user types it: a letter, whole degrees and decimal
// minutes ("N37 11.1", "W8 36.0"), and back.
#pragma once

#include <string>

namespace vantrel {

// "%c%02d %07.4lf": positive letter when value >= 0, else the negative letter
// and the absolute value; minutes = fraction of a degree x 60.
std::string FormatHomeCoordinate(double value, char positive, char negative);

// Reads "%c%d %lf" (letter, degrees, minutes); degrees + minutes / 60.
// Only 'N' (latitude) or 'E' (longitude) gives a positive value; any other
// letter, lower case included, gives the negation. Text that does not read
// gives 0 for the missing parts.
double ParseHomeLatitude(const std::string& text);
double ParseHomeLongitude(const std::string& text);

// True when the text holds at least a letter and a number of degrees, the
// least the home dialog accepts before it changes the stored location.
bool HomeCoordinateReadable(const std::string& text);

// Why the home dialog refuses a text: it does not read, a number in it is too
// large to hold, or it lies more than limit degrees (90 for a latitude, 180
// for a longitude) from 0.
enum class HomeTextProblem { None, Unreadable, TooLarge, OutOfRange };
HomeTextProblem CheckHomeCoordinate(const std::string& text, double limit);

}  // namespace vantrel

// Names of the dated files the launcher keeps in the data directory, from the local time.
#pragma once
#include <ctime>
#include <string>

// "p_20261028_134502.json": a run waiting in the pending queue.
std::string pending_file_name(const std::tm& local);
// "receipt_20261028_134502.json" for the prefix "receipt": an archived copy of a run's file.
std::string archived_file_name(const std::string& prefix, const std::tm& local);
// "p_20261028_134502_2.json": the name to use when the plain one is taken (n >= 2).
std::string numbered_variant(const std::string& name, int n);

// The current local time (the launcher core is single-threaded).
std::tm local_time_now();

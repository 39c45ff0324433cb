@echo off
rem SPDX-License-Identifier: MIT
rem The suite's viewer command: opens the document with its default program.
start "" %1

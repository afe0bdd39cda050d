@echo off
rem Runs plotmuf.exe, the one beside this file, every 15 minutes in a station
rem folder as the SYSTEM account, through the Task Scheduler:
rem
rem   schedule.cmd STATIONFOLDER           creates the task, or replaces it
rem   schedule.cmd /delete STATIONFOLDER   removes it
rem
rem Run it in an elevated prompt. Each station gets a task of its own, named
rem after its folder: C:\stazione is the task plotmuf\C_stazione.
setlocal DisableDelayedExpansion

set "action=create"
if /i "%~1"=="/delete" set "action=delete"
if "%action%"=="delete" shift
if "%~1"=="" goto usage
if not "%~2"=="" goto usage

rem The full path, without a trailing "\" unless it is a drive's root.
for %%F in ("%~1\.") do set "folder=%%~fF"
if "%folder:~0,2%"=="\\" goto network
rem The task's name: ":" left out, "\" written "_".
set "name=%folder::=%"
set "name=%name:\=_%"
if "%name:~-1%"=="_" set "name=%name:~0,-1%"
if "%action%"=="delete" goto delete

set "exe=%~dp0plotmuf.exe"
if not exist "%exe%" goto noexe
set "attributes="
for %%F in ("%folder%") do set "attributes=%%~aF"
if not "%attributes:~0,1%"=="d" goto nofolder
rem A quoted path must not end in "\", which would escape the closing quote.
set "target=%folder%"
if "%target:~-1%"=="\" set "target=%target%."
if not exist "%target%\Quorel_RAV3000I2.ini" echo schedule.cmd: warning: no Quorel_RAV3000I2.ini in "%folder%">&2

rem Delayed expansion only from here: a "!" in a path is read as is above,
rem and the paths' "&" or "(" are never parsed below.
setlocal EnableDelayedExpansion
rem cd /d sets the working folder, where plotmuf reads its configuration;
rem start /b /wait keeps the task running until plotmuf ends, so that its
rem exit status is the task's last result and no run starts over another.
set "command=cmd /c cd /d \"!target!\" && start /b /wait \"\" \"!exe!\""
schtasks /create /tn "plotmuf\!name!" /sc minute /mo 15 /ru SYSTEM /tr "!command!" /f
exit /b %errorlevel%

:delete
setlocal EnableDelayedExpansion
schtasks /delete /tn "plotmuf\!name!" /f
exit /b %errorlevel%

:usage
echo usage: schedule.cmd STATIONFOLDER>&2
echo        schedule.cmd /delete STATIONFOLDER>&2
exit /b 2

:network
echo schedule.cmd: "%folder%" is a network folder: see README.md for a task on a share>&2
exit /b 2

:noexe
echo schedule.cmd: "%exe%" not found: keep schedule.cmd beside plotmuf.exe>&2
exit /b 1

:nofolder
echo schedule.cmd: "%folder%" is no folder>&2
exit /b 1

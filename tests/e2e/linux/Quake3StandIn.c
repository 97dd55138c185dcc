/* Stands where quake3.exe would, as a Linux program that Wine starts like any other: records
 * its arguments and working folder beside itself, then runs the real engine (ioquake3 with
 * OpenArena's data) on the same arguments, with the working folder as its base path as the
 * original engine takes it, playing the demo as a timedemo; the engine's output goes to
 * engine-output.txt. "--prepare" lays its folder out as a game first (baseoa holding links
 * to OpenArena's data and an empty demos folder, baseq3 a link to baseoa); "--clean" takes
 * that away again, following no link. */
#define _GNU_SOURCE
#include <dirent.h>
#include <ftw.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

static const char kEngine[] = "/usr/lib/ioquake3/ioquake3";
static const char kData[] = "/usr/lib/openarena/baseoa";
static char own[PATH_MAX];

static void Path(char* out, const char* name) { snprintf(out, PATH_MAX, "%s/%s", own, name); }

static int RemoveOne(const char* path, const struct stat* st, int flag, struct FTW* ftw) {
  (void)st, (void)ftw;
  return flag == FTW_DP ? rmdir(path) : unlink(path);
}

static void Clean(void) {
  char path[PATH_MAX];
  const char* names[] = {"baseq3", "baseoa", "home", "engine-record.txt", "engine-output.txt"};
  for (size_t i = 0; i < sizeof names / sizeof *names; ++i) {
    Path(path, names[i]);
    struct stat st;
    if (lstat(path, &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) nftw(path, RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
    else unlink(path);
  }
}

static int Prepare(void) {
  char base[PATH_MAX], path[PATH_MAX * 2], target[PATH_MAX * 2];
  Clean();
  Path(base, "baseoa");
  if (mkdir(base, 0755) != 0) return 1;
  DIR* data = opendir(kData);
  if (!data) return 1;
  for (struct dirent* e; (e = readdir(data));) {
    if (e->d_name[0] == '.') continue;
    snprintf(target, sizeof target, "%s/%s", kData, e->d_name);
    snprintf(path, sizeof path, "%s/%s", base, e->d_name);
    if (symlink(target, path) != 0) return 1;
  }
  closedir(data);
  snprintf(path, sizeof path, "%s/demos", base);
  Path(target, "baseq3");
  return mkdir(path, 0755) != 0 || symlink("baseoa", target) != 0;
}

int main(int argc, char** argv) {
  const ssize_t n = readlink("/proc/self/exe", own, sizeof own - 1);
  if (n <= 0) return 1;
  own[n] = '\0';
  *strrchr(own, '/') = '\0';
  if (argc == 2 && strcmp(argv[1], "--prepare") == 0) return Prepare();
  if (argc == 2 && strcmp(argv[1], "--clean") == 0) return Clean(), 0;

  char cwd[PATH_MAX], path[PATH_MAX], home[PATH_MAX];
  if (!getcwd(cwd, sizeof cwd)) return 1;
  Path(path, "engine-record.txt");
  FILE* record = fopen(path, "w");
  if (!record) return 1;
  fputs("ARGS:", record);
  for (int i = 1; i < argc; ++i) fprintf(record, "%s%s", i > 1 ? " " : "", argv[i]);
  fprintf(record, "\nCWD:%s\n", strcmp(cwd, own) == 0 ? "its own folder" : cwd);
  fflush(record);

  Path(home, "home");
  const char* fixed[] = {kEngine, "+set", "fs_basepath", cwd, "+set", "fs_homepath", home,
                         "+set", "com_basegame", "baseoa", "+set", "timedemo", "1", "+set",
                         "nextdemo", "quit", "+set", "s_initsound", "0", "+set", "r_mode", "0",
                         "+set", "r_fullscreen", "0", "+set", "cl_motd", "0", "+set",
                         "com_introplayed", "1", "+set", "in_nograb", "1"};
  const int count = (int)(sizeof fixed / sizeof *fixed);
  char** args = calloc((size_t)(count + argc), sizeof *args);
  if (!args) return 1;
  for (int i = 0; i < count; ++i) args[i] = (char*)fixed[i];
  for (int i = 1; i < argc; ++i) args[count + i - 1] = argv[i];
  const pid_t child = fork();
  if (child == 0) {
    Path(path, "engine-output.txt");
    if (!freopen(path, "w", stdout) || dup2(fileno(stdout), 2) < 0) _exit(126);
    execv(kEngine, args);
    _exit(127);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) < 0) status = -1;
  fprintf(record, "EXIT:%d\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  fclose(record);
  return 0;
}

// Placeholder until the folder's first source lands; remove it then.
